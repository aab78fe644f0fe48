#pragma once
// The page's details line: which firmware it carries, so that a user can compare it with the
// published release.

namespace web {

// Shows the version and the SHA-256 of the image the page carries, in the page's language.
void showImageDetails();

}  // namespace web
