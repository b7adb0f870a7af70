# A first 3dfx Voodoo Graphics add-on board next to a 2D display board: only
# its 640 x 480 Glide window opens, so its only mode is 640x480x16. The
# display board offers software Direct3D devices only, which removal drops.
[system]
memory = 32MB
user = Test Player

[glide]
boards = 1
tmus = 1
vendor = 3Dfx Interactive Inc.
version = 3.00.00
renderer = Voodoo Graphics
extensions = CHROMARANGE TEXCHROMA
texture-min = 0x0
texture-max = 0x1FFFF8
windows = 640x480

[driver]
primary = yes
description = Primary Display Driver
name = display
video-memory = 2MB
id-driver = s3trio.drv
id-description = S3 Trio64V+
id-version = 4.10.1.1000
id-vendor = 0x5333
id-device = 0x8811
modes = 640x480x8 640x480x16 800x600x16

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
