#pragma once
// The page's details line: which firmware it carries, so that a user can compare it with the
// published release.
#include <string>

namespace web {

// The SHA-256 of the bytes the page carries, not of the build's record of them: what the page
// would write. For an image that is sound it is the one configuring printed.
std::string carriedImageSha256();

// Shows the version and the SHA-256 of the image the page carries, in the page's language.
void showImageDetails();

}  // namespace web
