# A 3dfx Voodoo5 5500, the display board: Glide with the pixel extensions
# (32-bit windows too), and its Direct3D HAL tagged as a Voodoo5 or later
# (device id 9) and tuned by the Voodoo5 row (chipset case 14).
[system]
memory = 256MB
user = Test Player

[glide]
boards = 1
tmus = 2
vendor = 3Dfx Interactive Inc.
version = 3.10.00.0658
renderer = Voodoo5 (tm)
extensions = CHROMARANGE TEXCHROMA TEXMIRROR PALETTE6666 FOGCOORD PIXEXT TEXUMA COMBINE
texture-min = 0x0
texture-max = 0x1FFFFF8
procs = grSstWinOpenExt grStencilFuncExt
windows = 1024x768 800x600 640x480
ext-windows = 1024x768 800x600 640x480

[driver]
primary = yes
description = Primary Display Driver
name = display
caps2 = CANRENDERWINDOWED
video-memory = 32MB
texture-memory = 28MB
id-driver = 3dfxvs.dll
id-description = 3dfx Voodoo5 5500 AGP
id-version = 4.12.1.1250
id-vendor = 0x121A
id-device = 9
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
rastercaps = DITHER FOGTABLE FOGRANGE ANTIALIASSORTINDEPENDENT
depths = 16 32
textures = 2
