#pragma once
// Start and stop entry points of the engine's managers, in the libraries that
// own them. The application frame calls them in a fixed order.
#include "engine/core/types.h"

// engine/core
#include "engine/core/engine_math.h"

// engine/graphics and engine/model
#include "engine/graphics/camera.h"
#include "engine/graphics/device.h"
#include "engine/graphics/draw_managers.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/vertex_shader.h"
#include "engine/model/model.h"

// engine/app (input devices)
#include "engine/app/input.h"

// engine/services
#include "engine/services/services.h"
