// Registration of the scenario description and events model classes with the class registry.
#pragma once

// Registers them in the fixed order of the core's class table.
void RegisterEventClasses();
