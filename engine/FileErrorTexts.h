// The GBK texts of the sentences that tell the user why an install could not write a file
// (namespace sk::file_error_text). A sentence is an opening ("无法创建“" + path) and a cause.
// The byte strings are made at build time from their readable form in engine/Engine.texts.
#pragma once

#include "engine/Engine.texts.h"
