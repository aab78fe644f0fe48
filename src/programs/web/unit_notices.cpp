#include "programs/web/unit_notices.h"

#include <emscripten.h>

#include <initializer_list>
#include <string>

#include "adapters/web/page_link.h"
#include "adapters/web/web_texts.h"
#include "base/format_text.h"
#include "programs/cli/udev_rule.h"
#include "seams/dialog.h"

namespace {

// Linux is where the browser needs the udev rule, as spindra-update does. ChromeOS calls itself
// Linux in navigator.platform, so the user agent's own name of its platform comes first.
EM_JS(int, browserRunsOnLinux, (), {
  const platform = (navigator.userAgentData && navigator.userAgentData.platform) || navigator.platform;
  return /^linux/i.test(String(platform)) ? 1 : 0;
});

std::wstring withArguments(web::PageText text, std::initializer_list<FormatArg> arguments) {
  return formatText(web::pageText(text), arguments, dlg::kTextCapacity);
}

void sendNoticeText(const char* element, const std::wstring& text) { web::postToPage(web::message::kNotice, element, 0, text); }

}  // namespace

void sendUnitNoticeTexts() {
  using web::PageText;
  const std::wstring connect = web::pageText(PageText::Connect);
  const std::wstring ruleName = utf8ToWide(udev::kRuleFileName);
  const bool onLinux = browserRunsOnLinux() != 0;
  std::wstring chooserClosed = withArguments(PageText::ChooserClosed, {connect});
  if (onLinux) chooserClosed += L" " + withArguments(PageText::ChooserClosedRule, {ruleName});
  sendNoticeText(web::element::kOtherTab, web::pageText(PageText::OtherTab));
  sendNoticeText(web::element::kConnectOnce, withArguments(PageText::ConnectOnce, {connect}));
  sendNoticeText(web::element::kChooserClosed, chooserClosed);
  sendNoticeText(web::element::kOpenRefused, onLinux ? withArguments(PageText::OpenRefusedRule,
                                                         {ruleName, ruleName, utf8ToWide(udev::kRule)})
                                         : web::pageText(PageText::OpenRefused));
  sendNoticeText(web::element::kUnitRemoved, withArguments(PageText::Removed, {connect}));
}
