#pragma once
// Images for system symbol names (SF Symbols on a Mac), drawn by our own code so they look the
// same on every OS.

#include <QColor>
#include <QIcon>
#include <QImage>

#include <optional>
#include <string>

namespace platform {

// True when we have a drawing for this symbol name.
bool hasSystemSymbol(const std::string& name);

// The symbol drawn in a square of size points (at twice the pixels, for sharp edges);
// absent for a name we have no drawing for.
std::optional<QImage> systemSymbolImage(const std::string& name, int size,
                                        const QColor& color = QColor(0, 0, 0));
std::optional<QIcon> systemSymbol(const std::string& name, int size,
                                  const QColor& color = QColor(0, 0, 0));

} // namespace platform
