#pragma once

#if defined(_WIN32)
#if defined(ASAAPI_BUILDING_HOST)
#define EMUHOST_API __declspec(dllexport)
#else
#define EMUHOST_API __declspec(dllimport)
#endif
#else
#define EMUHOST_API __attribute__((visibility("default")))
#endif
