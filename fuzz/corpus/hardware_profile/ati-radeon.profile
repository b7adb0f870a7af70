# ATI Radeon, device 0x5144 with ati2dvag.dll (case 7): a T&L HAL device.
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
id-driver = ati2dvag.dll
id-description = ATI RADEON DDR
id-version = 4.13.1.7000
id-vendor = 0x1002
id-device = 0x5144
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
name = Direct3D T&L HAL
guid = tnlhal
devcaps = HWRASTERIZATION
texturecaps = PERSPECTIVE
filtercaps = MIPLINEAR
rastercaps = DITHER FOGTABLE FOGRANGE WBUFFER ANTIALIASSORTINDEPENDENT
depths = 16 32
textures = 2
