#pragma once
// The host's side of the plugin interface (VelaPluginApi.h): the table of functions a plugin gets
// when the component registry loads it.
#include "VelaPluginApi.h"

namespace vela {

class ComponentRegistry;

// The table for plugins registering into `registry`; it lives as long as the process.
const VelaPluginHost &pluginHost(ComponentRegistry &registry);

} // namespace vela
