# A guard's brain: counts the seconds it has watched and, while its alarm is
# on (BrainParams OBJECT alarm), says so every frame.


class Guard:
    def __init__(self, me):
        self.me = me  # the plug-in brain's pointer string
        self.alarm = False
        self.seconds = 0.0

    def Update(self, seconds):
        self.seconds += seconds
        if self.alarm:
            print('guard: alarm after %.1f seconds' % self.seconds)

    def SendParams(self, params):
        self.alarm = 'alarm' in params
        print('guard: parameters', params)

    def GetName(self):
        return 'Guard'

    def GetType(self):
        # The host asks every frame what kind of brain this is: a plain one.
        return 300


def brain(me):
    return Guard(me)
