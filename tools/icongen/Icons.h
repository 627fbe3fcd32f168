#pragma once
// The table of every icon file the program reads, each with the function
// that draws it (the list itself is IconList.def).

#include <QImage>
#include <QPainter>

#include <cstddef>

namespace icongen {

struct IconEntry {
    const char* fileName;
    /// Draws on a cleared, antialiased kIconSide x kIconSide canvas.
    void (*draw)(QPainter&);
};

/// Every icon, in list order.
const IconEntry* IconTable();
std::size_t IconCount();

/// The icon drawn into a fresh transparent RGBA image.
QImage RenderIcon(const IconEntry& icon);

}  // namespace icongen
