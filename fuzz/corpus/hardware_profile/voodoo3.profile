# A 3dfx Voodoo3 3000, a board before the Voodoo5: Glide without the pixel
# extensions (16-bit modes only), and a Direct3D HAL tagged as a non-V5 3dfx
# card (device id 5) that renders to 16 bits only, so the 32-bit display
# modes are not its modes. Its driver is 3dfxvs.dll, but the Voodoo5 row
# needs device id 9: the default row applies (chipset case 17).
[system]
memory = 64MB
user = Test Player

[glide]
boards = 1
tmus = 1
vendor = 3Dfx Interactive Inc.
version = 3.01.00
renderer = Voodoo3 (tm)
extensions = CHROMARANGE TEXCHROMA TEXMIRROR PALETTE6666 FOGCOORD
texture-min = 0x0
texture-max = 0xFFFFF8
windows = 1024x768 800x600 640x480

[driver]
primary = yes
description = Primary Display Driver
name = display
caps2 = CANRENDERWINDOWED
video-memory = 16MB
texture-memory = 12MB
id-driver = 3dfxvs.dll
id-description = 3dfx Voodoo3 3000 AGP
id-version = 4.12.1.1185
id-vendor = 0x121A
id-device = 5
modes = 640x480x16 640x480x32 800x600x16 800x600x32 1024x768x16 1024x768x32

[device]
name = Direct3D HAL
guid = hal
devcaps = HWRASTERIZATION
texturecaps = PERSPECTIVE
filtercaps = MIPLINEAR
rastercaps = DITHER FOGTABLE
depths = 16
textures = 2
