#include "settings_values.h"

namespace oruna {

int16_t BGM_Kind = 0;
int16_t BGM_Track = 0;
std::string BGM_File;
std::string BGM_Dir;

}  // namespace oruna
