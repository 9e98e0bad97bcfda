// Compiled (never linked) with the platform library's include root only, by
// the build tests that keep the platform below every layer: HEADER names a
// platform header, which compiles, or a header of a layer above, which must not.
#include HEADER
