# A Glide board that reports three texture units: the detection log shows
# Glide's own count (3), the record holds 2. No Direct3D driver at all.
[system]
memory = 128MB
user = Test Player

[glide]
boards = 1
tmus = 3
vendor = Quantum3D
version = 3.00.01
renderer = Obsidian2 X-24
extensions = CHROMARANGE TEXCHROMA
texture-min = 0x0
texture-max = 0xBFFFF8
windows = 1024x768 800x600 640x480
