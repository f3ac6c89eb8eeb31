#pragma once

// Symbols of the host library, as plug-ins import them.
#if defined(_WIN32)
#if defined(ASAAPI_BUILDING_HOST)
#define ASAAPI_API __declspec(dllexport)
#else
#define ASAAPI_API __declspec(dllimport)
#endif
#else
#define ASAAPI_API __attribute__((visibility("default")))
#endif
