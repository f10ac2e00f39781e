#pragma once
#include "model/smd/smd_load_result.h"
