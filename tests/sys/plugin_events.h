// What the test plug-ins and the test executable share: each hook of a test
// plug-in reports to a recorder that the executable exports and the plug-in
// binds in dl_symbols through the host handle it is given. The recorder's
// answer is the hook's, so that the test decides which hook refuses.
#pragma once

extern "C" {

using qxtest_plugin_event_fn = bool (*)(const char* plugin, const char* hook, void* main, void* lib,
                                        unsigned int code, void* data);

}  // extern "C"

namespace qxtest {

constexpr const char* PLUGIN_RECORDER = "qxtest_plugin_event";

}  // namespace qxtest
