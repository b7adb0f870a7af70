// A shared library that is not a plug-in: it exports a function but no name
// list and no version. The stage refuses to play a scene that loads it.
extern "C" int NotAPluginAnswer() {
  return 42;
}
