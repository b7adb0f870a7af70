# An older ATI board: the driver name begins with "ati" (case 8, generic ATI).
[system]
memory = 128MB
user = Test Player

[driver]
primary = yes
description = Primary Display Driver
name = display
caps2 = CANRENDERWINDOWED
video-memory = 8MB
texture-memory = 7MB
id-driver = ati3dcif.dll
id-description = ATI 3D RAGE PRO AGP 2X
id-version = 4.11.1.5000
id-vendor = 0x1002
id-device = 0x4742
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
