# Greets the scene object named by the first argument, as many times as the
# second says:   Python greet.py OBJECT TIMES
import sys

import SceneAPIc

name, times = sys.argv[1], int(sys.argv[2])
visitor = SceneAPIc.GetSceneObjectByID(name)
if visitor == 'NULL':
    print('greet: nobody is called', name)
else:
    for i in range(times):
        print('greet: welcome,', SceneAPIc.GetID(visitor))
