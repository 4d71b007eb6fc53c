#include "CondInfo.h"
