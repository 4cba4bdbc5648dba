/* A module with no control creator export: the paint manager must refuse it and unload it again. */
int NotAPluginAnswer(void) { return 42; }
