#pragma once
// Marks a text for the catalogue where Qt is not at hand: lupdate knows the macro by its name,
// and this is Qt's own definition, token for token, so either may be seen first.
#define QT_TRANSLATE_NOOP(scope, x) x
