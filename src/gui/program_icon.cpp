#include "gui/program_icon.h"

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

#include <vendrel_icon_svg.h>

namespace {

// The sizes a window manager, a task bar and a switcher show.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128};
constexpr int kDrawnSize = 64;

}  // namespace

const wxIconBundle& ProgramIcons() {
    static const wxIconBundle icons = [] {
        wxIconBundle bundle;
        const wxBitmapBundle drawing = wxBitmapBundle::FromSVG(kVendrelIconSvg, wxSize(kDrawnSize, kDrawnSize));
        for (const int size : kIconSizes) {
            const wxIcon icon = drawing.GetIcon(wxSize(size, size));
            if (icon.IsOk()) bundle.AddIcon(icon);
        }
        return bundle;
    }();
    return icons;
}
