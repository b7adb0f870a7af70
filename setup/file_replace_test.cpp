#include "setup/file_replace.h"

#include <gtest/gtest.h>
