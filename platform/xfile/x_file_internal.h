#pragma once
// What the reader and the mesh loader share inside the platform layer.
#include <cstdint>
#include <string>

#include "platform/xfile/x_file.h"

namespace platform::xfile {

// Checks a Mesh object and its children the way the mesh loader reads them
// (indices in range, counts that agree); on a fault fills the line and the
// message and returns false.
bool CheckMeshNode(const Node* mesh, std::uint32_t* line, std::string* message);

}  // namespace platform::xfile
