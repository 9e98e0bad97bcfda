#pragma once
// String-table keys of the messages of the data list and file views, and the
// helpers that fetch and format them.
#include <string>

#include "store/Services.h"

namespace vellora {

enum ViewText : int {
  kTextNoticeCaption = 3739,        // "Tip"
  kTextQueryCaptionKey = 3584,      // "Query"
  kTextDeleteFileCaption = 4428,
  kTextDeleteFileQuestion = 4436,
  kTextShellOpenFailed = 4522,
  kTextStoreFailed = 12000,
  kTextListDamaged = 12200,
  kTextFilesDamaged = 12400,
  kTextEmbeddedMissingOnLoad = 12600,  // %d: how many
  kTextEmbeddedMissing = 12800,        // %s: the entry's title
  kTextEmbedFailed = 13000,            // %s: the file's path
  kTextExportFailed = 13200,           // %s: the file's path
};

// The text under key (or the fallback) with one %s or %d filled in.
std::string FormatText(const TextSource& texts, int key, const char* fallback, const std::string& argument);
std::string FormatText(const TextSource& texts, int key, const char* fallback, int argument);

}  // namespace vellora
