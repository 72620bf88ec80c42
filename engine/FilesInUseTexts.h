// The GBK texts of files held by another program during an install: the question the wizard
// asks and the messages of a run that is cancelled or cannot defer the file. Written in UTF-8 in
// engine/Engine.texts (namespace sk::in_use_text); the build makes the GBK bytes.
#pragma once

#include "engine/Engine.texts.h"
