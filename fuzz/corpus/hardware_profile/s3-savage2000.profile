# S3 Savage 2000, device id 0x9102 (case 2).
[system]
memory = 128MB
user = Test Player

[driver]
primary = yes
description = Primary Display Driver
name = display
caps2 = CANRENDERWINDOWED
video-memory = 32MB
texture-memory = 30MB
id-driver = s3sav2k.dll
id-description = S3 Savage2000
id-version = 4.12.1.9010
id-vendor = 0x5333
id-device = 0x9102
modes = 640x480x16 640x480x32 800x600x16 800x600x32 1024x768x16 1024x768x32

[device]
name = RGB Emulation
guid = rgb
texturecaps = PERSPECTIVE
filtercaps = MIPLINEAR
rastercaps = DITHER
depths = 16 24 32
textures = 1

[device]
name = Direct3D HAL
guid = hal
devcaps = HWRASTERIZATION
texturecaps = PERSPECTIVE
filtercaps = MIPLINEAR
rastercaps = DITHER FOGTABLE
depths = 16 32
textures = 2
