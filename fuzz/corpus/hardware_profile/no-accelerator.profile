# A machine with nothing the game can use: no Glide library, a display
# driver with only software Direct3D devices (removed), a reference
# rasterizer (kept, but never chosen by default) and a HAL device that can
# render to no depth the display offers (its only mode is the windowed one,
# which removal drops, so the device goes with it). A second driver cannot be
# created, a third has no Direct3D. The setup finds no suitable accelerator.
[system]
memory = 64MB
user = Test Player

[driver]
primary = yes
description = Primary Display Driver
name = display
caps2 = CANRENDERWINDOWED
video-memory = 4MB
id-driver = cirrus.dll
id-description = Cirrus Logic 5446 PCI
id-version = 4.10.1.1100
id-vendor = 0x1013
id-device = 0xB8
modes = 640x480x8 640x480x16 800x600x16 800x600x32

[device]
name = Ramp Emulation
guid = ramp
depths = 16 32
textures = 1

[device]
name = RGB Emulation
guid = rgb
texturecaps = PERSPECTIVE
rastercaps = DITHER
depths = 16 24 32
textures = 1

[device]
name = MMX Emulation
guid = mmx
texturecaps = PERSPECTIVE
rastercaps = DITHER
depths = 16 24 32
textures = 1

[device]
name = Reference Rasterizer
guid = ref
texturecaps = PERSPECTIVE
filtercaps = MIPLINEAR
rastercaps = DITHER FOGTABLE FOGRANGE WBUFFER ANTIALIASSORTINDEPENDENT
depths = 16 32
textures = 8

[device]
name = Direct3D HAL
guid = hal
devcaps = HWRASTERIZATION
texturecaps = PERSPECTIVE
depths = 24
textures = 1

[driver]
description = Broken Secondary Driver
name = \\.\broken
create = fails

[driver]
description = 2D Only Secondary Driver
name = \\.\twod
create = no-direct3d
