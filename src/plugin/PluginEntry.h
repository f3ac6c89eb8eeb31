#pragma once

#if defined(_WIN32)
#define TXL_PLUGIN_EXPORT __declspec(dllexport)
#else
#define TXL_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

// The two entry points the host calls: once at load, once at unload.
extern "C" {
TXL_PLUGIN_EXPORT void Plugin_Init();
TXL_PLUGIN_EXPORT void Plugin_Unload();
}
