# A Matrox G200 display board with a 3dfx Voodoo2 add-on. The Voodoo2 is a
# Glide board and a secondary DirectDraw driver: of its Direct3D devices only
# the hardware one is listed (tagged as a non-V5 3dfx card); its software
# devices are not. The display board's software devices are listed and then
# removed. Without a T&L HAL device the default choice is the Glide board.
[system]
memory = 128MB
user = Test Player

[glide]
boards = 1
tmus = 2
vendor = 3Dfx Interactive Inc.
version = 3.00.00
renderer = Voodoo2
extensions = CHROMARANGE TEXCHROMA TEXMIRROR PALETTE6666 FOGCOORD
texture-min = 0x0
texture-max = 0x7FFFF8
windows = 1024x768 800x600 640x480

[driver]
primary = yes
description = Primary Display Driver
name = display
caps2 = CANRENDERWINDOWED
video-memory = 8MB
texture-memory = 6MB
id-driver = mgag200.dll
id-description = Matrox Millennium G200 AGP
id-version = 4.11.1.1500
id-vendor = 0x102B
id-device = 0x521
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

[device]
name = MMX Emulation
guid = mmx
texturecaps = PERSPECTIVE
rastercaps = DITHER
depths = 16 24 32
textures = 1

[driver]
primary = no
guid = 3D8AF1E0-0000-11D2-A1B2-00A0C9000002
description = 3dfx Voodoo2 DirectX Driver
name = \\.\3dfxvoodoo2
video-memory = 12MB
texture-memory = 8MB
id-driver = 3dfxvb.dll
id-description = 3dfx Voodoo2 PCI
id-version = 4.11.1.2030
id-vendor = 0x121A
id-device = 2
modes = 640x480x16 800x600x16 1024x768x16

[device]
name = RGB Emulation
guid = rgb
texturecaps = PERSPECTIVE
rastercaps = DITHER
depths = 16
textures = 1

[device]
name = Direct3D HAL
guid = hal
devcaps = HWRASTERIZATION
texturecaps = PERSPECTIVE
filtercaps = MIPLINEAR
rastercaps = DITHER FOGTABLE
depths = 16
textures = 2

[device]
name = MMX Emulation
guid = mmx
texturecaps = PERSPECTIVE
rastercaps = DITHER
depths = 16
textures = 1
