#include "settings/ProfileFunctions.h"

namespace sonotag::settings {

const ProfileFunctions& PlatformProfileFunctions() { return PortableProfileFunctions(); }

}  // namespace sonotag::settings
