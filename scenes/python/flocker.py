# A creature of a small flock, steered by the boid library through
# ktFlocksc: the flock gathers at the object Den and keeps clear of the
# object Rock. Give creatures this brain with
#   brainclass Pup1 PythonMgr:flocker.py
# Every creature with this brain joins the one flock of the module.
import SceneAPIc
import egBrainc
import ktFlocksc as K
import mkTypesc as T
import mkUtilc

flock = None   # made by the first creature that steps
SCALE = 16.0   # scene units per unit of the library's speed, per second


class Flocker:
    def __init__(self, me):
        self.me = me      # the plug-in brain's pointer string
        self.boid = None  # made on the first Update, once the host brain is set

    def start(self):
        global flock
        api = egBrainc.egBrainDll_GetSceneApi(self.me)
        host = egBrainc.egBrainDll_GetBrain(self.me)
        self.obj = egBrainc.egBrain_GetOwnerObj(host)
        self.name = SceneAPIc.GetID(self.obj)
        if flock is None:
            flock = K.new_ktFlock(api)
            K.ktFlock_AddGatheringPlaces(flock, ['Den'])
            K.ktFlock_AddAvoidObjects(flock, ['Rock'])
            K.ktFlock_SetWaypoint(flock, -1)  # the nearest gathering place
        self.boid = K.new_ktBoid(SceneAPIc.GetObjKeyByID(self.name), flock, api)
        K.ktFlock_AddTo(flock, self.boid)
        K.ktBoid_SetInFlock(self.boid, 1)
        # The current velocity, the two results and a vector to read them.
        self.velocity = K.new_ktVelocityVector()
        self.steer = K.new_ktInfluenceVector()
        self.avoid = K.new_ktInfluenceVector()
        self.direction = T.new_mkVector3(0, 0, 0)
        self.frames = 0

    def Update(self, seconds):
        if self.boid is None:
            self.start()
        K.ktBoid_FlockIt(self.boid, self.velocity, self.steer)
        speed = K.ktVelocityVector_GetSpeed(self.steer)
        way = self.steer
        # Probe ahead; anything in the way takes over.
        if K.ktBoid_AvoidBlockers(self.boid, 6.0, 2.0, 2.0, self.avoid) > 0:
            way = self.avoid
            speed = K.ktVelocityVector_GetSpeed(self.avoid)
        K.ktVelocityVector_GetVector(way, self.direction)
        # Steering vectors point from the goal toward the boid: move against.
        mkUtilc.Move(self.obj, self.direction, -speed * seconds * SCALE)
        K.ktVelocityVector_Set(self.velocity, self.direction, speed)
        self.frames += 1
        if self.frames % 20 == 0:
            print('%s: %.1f from the den' %
                  (self.name, K.ktBoid_GetWhereToDistance(self.boid)))
        return 0

    def GetType(self):
        return 300


def brain(me):
    return Flocker(me)
