# A 3dfx Voodoo5 whose Direct3D driver is not 3dfxvs.dll: it is still tagged
# as a Voodoo5 (vendor 0x121A, device 9), but no chipset case but the last
# holds, so the default row applies (chipset case 17). No Glide library.
[system]
memory = 128MB
user = Test Player

[driver]
primary = yes
description = Primary Display Driver
name = display
caps2 = CANRENDERWINDOWED
video-memory = 32MB
texture-memory = 28MB
id-driver = 3dfxv5.dll
id-description = 3dfx Voodoo5 5500 AGP
id-version = 4.12.1.1300
id-vendor = 0x121A
id-device = 9
modes = 640x480x16 800x600x16 1024x768x16

[device]
name = Direct3D HAL
guid = hal
devcaps = HWRASTERIZATION
texturecaps = PERSPECTIVE
filtercaps = MIPLINEAR
rastercaps = DITHER FOGTABLE
depths = 16 32
textures = 2
