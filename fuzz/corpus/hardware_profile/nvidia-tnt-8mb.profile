# NVidia RIVA TNT with 8 MB (case 11): its memory is raised to 16 MB. Driver version 4.12.01.1234.
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
id-driver = nvdd32.dll
id-description = NVIDIA RIVA TNT
id-version = 4.12.1.1234
id-vendor = 0x10DE
id-device = 0x20
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
