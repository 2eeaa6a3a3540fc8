#include "evaluator/intrinsics.h"
