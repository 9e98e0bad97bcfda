// Fetches a text under KEY; only compiled (never linked) by the build tests
// that check which keys the code may name.
#include "store/Services.h"

std::string Fetch(const vellora::TextSource& texts) { return std::string(texts.Text(KEY)) + texts.TextOr(KEY, ""); }
