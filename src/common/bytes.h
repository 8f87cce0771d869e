// Forwards to the headers that replaced this one; callers move to them.
#pragma once

#include "common/byte_reader.h"
#include "common/file_front.h"
#include "common/huge_pages.h"
#include "common/own_line.h"
