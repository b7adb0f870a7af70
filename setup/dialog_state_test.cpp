#include "setup/dialog_state.h"

#include <gtest/gtest.h>
