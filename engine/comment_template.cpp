#include "engine/comment_engine.h"
