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
  kTextStoreFailed = 7400,
  kTextListDamaged = 7600,
  kTextFilesDamaged = 7800,
  kTextEmbeddedMissingOnLoad = 8000,  // %d: how many
  kTextEmbeddedMissing = 8200,        // %s: the entry's title
  kTextEmbedFailed = 8400,            // %s: the file's path
  kTextExportFailed = 8600,           // %s: the file's path
};

// The text under key (or the fallback) with one %s or %d filled in.
std::string FormatText(const TextSource& texts, int key, const char* fallback, const std::string& argument);
std::string FormatText(const TextSource& texts, int key, const char* fallback, int argument);

}  // namespace vellora
