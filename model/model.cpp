// Placeholder until the triangle model lands: the program runs with an empty mesh.
#include "model/model.h"

MeshArrays meshArrays = {0, nullptr, nullptr, nullptr, nullptr, nullptr};
