#include <stdlib.h>

#include "fuzz/fuzz_files.h"
#include "fuzz/fuzz_main.h"

KIVO_FUZZ_TARGET(kivo::fuzz::RunEnumerationInput)
