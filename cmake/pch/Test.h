// The precompiled header of the test programs: the library one and GoogleTest. Qt's test
// helpers stay out: their headers read the per-folder QT_TESTCASE_* definitions, which would
// keep test programs from sharing one precompiled header.
#pragma once

#include "Library.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
