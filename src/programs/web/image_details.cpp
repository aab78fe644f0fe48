#include "programs/web/image_details.h"

#include "adapters/web/embedded_image.h"
#include "adapters/web/page_link.h"
#include "adapters/web/web_texts.h"
#include "base/format_text.h"
#include "base/hex_text.h"
#include "base/sha256.h"
#include "seams/dialog.h"
#include "seams/system.h"
#include "ui/main_window.h"

namespace web {

std::string carriedImageSha256() {
  const Sha256Digest digest = sha256(kEmbeddedImage, kEmbeddedImageSize);
  return hextext::fromBytes(digest.data(), digest.size());
}

void showImageDetails() {
  const std::wstring hex = utf8ToWide(carriedImageSha256());
  const std::wstring text =
      sys::recordedImage().placeholder
          ? formatText(pageText(PageText::PlaceholderDetails), {hex}, dlg::kTextCapacity)
          : formatText(pageText(PageText::ImageDetails), {imageVersionText(), hex}, dlg::kTextCapacity);
  postToPage(message::kElementText, element::kImageDetails, 0, text);
}

}  // namespace web
