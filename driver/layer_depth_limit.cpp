#include "driver/layer_depth_limit.h"

#include <sstream>

#include "driver/free_format_reader.h"
#include "format/shortest_text.h"

namespace kestral {

void check_interface_depths(const LayerSystem& layers, const WheelLoad& load,
                            const std::string& file_name) {
  const double limit = kMaxInterfaceDepthRadii * static_cast<double>(load.a);
  double depth = 0.0;
  for (int k = 1; k <= layers.n - 1; ++k) {
    depth += static_cast<double>(layers.H[k - 1]);
    if (depth <= limit) continue;
    std::ostringstream message;
    message << file_name << ": thickness H(" << k << ") (item 4) is "
            << shortest_text(layers.H[k - 1]) << " mm and puts the bottom of layer " << k
            << " deeper than " << kMaxInterfaceDepthRadii << " contact radii (" << limit
            << " mm), beyond what the layer solve resolves; make layer " << k
            << " the half-space instead";
    throw InputError(message.str());
  }
}

}  // namespace kestral
