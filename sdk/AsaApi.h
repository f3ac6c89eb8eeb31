#pragma once

#include "AsaApi/Address.h"
#include "AsaApi/Commands.h"
#include "AsaApi/EngineTypes.h"
#include "AsaApi/Hooks.h"
#include "AsaApi/Logging.h"
#include "AsaApi/Text.h"
