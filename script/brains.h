// Python brains: the brain class PythonMgr makes a PythonScriptBrain per
// script module and scene object; the brain has the module build a Python
// object (the module's callable `brain`, given the brain's pointer string),
// binds it in __main__ under the brain's variable name, and forwards every
// brain operation that the host calls to the method of the same name of the
// object bound to that name.
//
// Arguments cross as Python values (a float, a pointer string, a list of
// str) and results are read directly: no Python source text is built from
// names or parameters, so no name or parameter can run code. When a method
// raises, its traceback is printed through the interpreter's output (and so
// reaches the host's message lines), followed by one warning naming the
// object, the module file and the method; the same failure again is only
// counted (logged when the brain ends). The brain falls back to egBrainDll's
// behaviour as the table of each operation says; seven operations are then
// switched off until the next Reset. Texts cross through script/text.h; the
// result of an operation that has one is bound to retval in __main__.
#ifndef TESSERA_SCRIPT_BRAINS_H_
#define TESSERA_SCRIPT_BRAINS_H_

#include "script/python.h"

#include <cstdint>
#include <string>

#include "kit/plugin/brain_class.h"
#include "kit/plugin/plugin.h"

namespace script {

class PythonMgr;

class PythonScriptBrain final : public egBrainDll {
 public:
  MK_DESTROYING_DESTRUCTOR(PythonScriptBrain)

  // The operations that a failure switches off until Reset, in this order.
  enum Enable {
    kEnableUpdate,
    kEnablePreUpdate,
    kEnableWantGravity,
    kEnableCanCollideWith,
    kEnableReportCollision,
    kEnableStartBehavior,
    kEnableUpdateGoals,
    kEnableCount
  };

  // Names as in PythonMgr::MakeBrain: the module file ("guard.py") and the
  // scene object's name ("Zovezi.1").
  PythonScriptBrain(const char* fileName, const char* objectName);

  // Imports the module, calls its `brain` with this brain's pointer string
  // and binds the result in __main__ under the variable name. False when the
  // module name is not a valid module name (warned through `api`) or Python
  // raised (printed); the brain is then to be destroyed.
  bool SetUp(egSceneApi* api);

  int32_t GetType() override;
  int32_t Update(float time) override;
  int32_t PreUpdate(float time) override;
  int32_t Reset() override;
  int32_t SendParams(int32_t argc, const char** argv) override;
  int32_t PrepareToDetach() override;
  int32_t PrepareToAttach(int32_t value) override;
  int32_t CanCollideWith(mkSceneObject* object) override;
  int32_t ReportCollision(mkSceneObject* first, mkSceneObject* second) override;
  int32_t WantGravity() override;
  // The text stays valid until the brain's next GetName or its end.
  const char* GetName() override;
  int32_t StartBehavior(float time, mkGBehavior* behavior) override;
  void PersonaChanged() override;
  void SetFalling() override;
  void UpdateGoals() override;
  void GetIn() override;
  MK_SELF_BRAIN()

  char* fFileName;      // as the host passed it
  char* fModuleName;    // the file name without its last three characters
  char* fObjectName;    // the scene object's name
  char* fVariableName;  // the object name with every "." made "_"
  int32_t fReady = 0;   // 1 once the set-up ran without an exception
  int32_t fEnable[kEnableCount];
  // The class that made the brain and lists it; a brain that the host
  // destroys earlier (its last ReleaseReference) leaves the list.
  PythonMgr* fManager = nullptr;

 private:
  ~PythonScriptBrain();

  // Calls the bound object's method with `count` arguments (references
  // stolen); a new reference to the result, or null when Python is not up
  // for this brain or the call raised (printed).
  PyObject* Call(int method, PyObject** args, int count);
  // Calls a method whose integer result is the operation's; false on
  // failure (a result that is not an integer is printed as a failure).
  bool CallForInt(int method, PyObject** args, int count, int32_t* result);
  bool Live() const;
  // Binds `value`, an operation's result, to retval in __main__, as the
  // text "retval=Object.Method()" would.
  void BindResult(PyObject* value);

  // Reports the exception set by a failed call of `method`: the first time
  // (or when it differs from the method's last one) its traceback and one
  // warning that names the object, the module file and the method; an
  // identical repeat is only counted, and the count is logged when the brain
  // is destroyed. `off` says that the failure switched the method off.
  void ReportFailure(int method, bool off);
  struct Failure;
  void ReportRepeat(Failure& failure, int method);

  PyObject* fKey = nullptr;       // the variable name as a Python str
  PyObject* fLastName = nullptr;  // GetName's last result, kept alive
  uint32_t fGeneration = 0;
  // The last failure of each method ("ZeroDivisionError: division by zero")
  // and how often it came again since it was reported.
  struct Failure {
    std::string what;  // empty while the method has not failed
    int32_t repeats = 0;
  };
  Failure* fFailures = nullptr;  // kBrainMethodCount of them, made at the first failure
};

// The brain class object: makes and keeps the Python brains.
class PythonMgr final : public ktBrainClassDll<PythonScriptBrain> {
 public:
  MK_DESTROYING_DESTRUCTOR(PythonMgr)
  PythonMgr() = default;
  // Destroys the brains while the interpreter is up, then shuts it down.
  ~PythonMgr();

  int32_t GetClassKind() override;  // 1
  // Starts the interpreter with the class's scene interface.
  void Prepare() override;
  // The brain for module file `fileName` and scene object `objectName`: the
  // first one made for the same names (compared without regard to case; the
  // object name "*" matches any), or a new one; null when the file is not in
  // the script directory or the set-up fails.
  egBrainDll* MakeBrain(const char* fileName, const char* objectName) override;
  // SendParams of every brain made from that module file.
  void SendClassParams(const char* fileName, int32_t argc, const char** argv) override;
  // Takes a brain that is being destroyed out of the list.
  void Forget(PythonScriptBrain* brain);
  bool Lists(const PythonScriptBrain* brain) const;
};

}  // namespace script

#endif  // TESSERA_SCRIPT_BRAINS_H_
