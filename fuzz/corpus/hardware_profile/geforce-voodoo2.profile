# An NVidia GeForce 256 display board with a 3dfx Voodoo2 add-on (Glide only
# here): with a T&L HAL device present, the default choice is the GeForce
# rather than the Glide board.
[system]
memory = 128MB
user = Test Player

[glide]
boards = 1
tmus = 2
vendor = 3Dfx Interactive Inc.
version = 3.00.00
renderer = Voodoo2
texture-min = 0x0
texture-max = 0x7FFFF8
windows = 1024x768 800x600 640x480

[driver]
primary = yes
description = Primary Display Driver
name = display
caps2 = CANRENDERWINDOWED
video-memory = 32MB
texture-memory = 30MB
id-driver = nv4.dll
id-description = NVIDIA GeForce 256
id-version = 4.12.1.533
id-vendor = 0x10DE
id-device = 0x100
modes = 640x480x16 640x480x32 800x600x16 800x600x32 1024x768x16 1024x768x32

[device]
name = Direct3D HAL
guid = hal
devcaps = HWRASTERIZATION
texturecaps = PERSPECTIVE
filtercaps = MIPLINEAR
rastercaps = DITHER FOGTABLE FOGRANGE
depths = 16 32
textures = 2

[device]
name = Direct3D T&L HAL
guid = tnlhal
devcaps = HWRASTERIZATION
texturecaps = PERSPECTIVE
filtercaps = MIPLINEAR
rastercaps = DITHER FOGTABLE FOGRANGE
depths = 16 32
textures = 2
