#include "output/markup/link_target.h"

#include <gtest/gtest.h>

#include "policies/fc.h"

namespace {

struct TargetCase {
    const char* label;
    int frames;
    int frameLinksNewWindow;  // -1: left at its default, not set
    const char* frameWindowName;
    int linksNewWindow;
    const char* browserWindowName;
    int requireScheme;
    const char* url;
    const char* target;
};

}  // namespace

TEST(LinkTarget, FramesAndWindowModes) {
    const TargetCase cases[] = {
        {"plain page", 0, -1, "_top", 0, "other", 1, "http://x.org/", ""},
        {"new window", 0, -1, "_top", 1, "other", 1, "http://x.org/", "other"},
        {"new window, empty name", 0, -1, "_top", 1, "", 1, "http://x.org/", "_top"},
        {"anchor never", 0, -1, "_top", 1, "other", 0, "#Section_1", ""},
        {"relative, scheme required", 0, -1, "_top", 1, "other", 1, "page.html", ""},
        {"relative, scheme not required", 0, -1, "_top", 1, "other", 0, "page.html", "other"},
        {"frame links default on", 1, -1, "_top", 0, "other", 1, "http://x.org/", "_top"},
        {"frame window name", 1, 1, "main", 0, "other", 1, "http://x.org/", "main"},
        {"frame window name empty", 1, 1, "", 1, "other", 1, "http://x.org/", "_top"},
        {"frame links set off", 1, 0, "main", 1, "other", 1, "http://x.org/", ""},
        {"frame anchor", 1, 1, "main", 1, "other", 1, "#top", ""},
        {"frames off ignores frame policy", 0, 1, "main", 1, "other", 1, "http://x.org/", "other"},
    };
    for (const TargetCase& c : cases) {
        FC set;
        set.SetInt(Pol::PlaceDocumentInFrames, c.frames);
        if (c.frameLinksNewWindow >= 0) set.SetInt(Pol::OpenFrameLinksInNewWindow, c.frameLinksNewWindow);
        set.SetText(Pol::NewFrameLinkWindowName, c.frameWindowName);
        set.SetInt(Pol::OpenLinksInNewWindow, c.linksNewWindow);
        set.SetText(Pol::NewBrowserWindowName, c.browserWindowName);
        TextString target("junk");
        HTML_GetLinkTarget(&set, c.requireScheme, TextString(c.url), target);
        EXPECT_EQ(target.str(), c.target) << c.label;
    }
}

TEST(LinkTarget, FrameLinkPolicyOffButNotSetFallsBackToBrowserWindow) {
    FC set;
    set.SetInt(Pol::PlaceDocumentInFrames, 1);
    set.SetInt(Pol::OpenFrameLinksInNewWindow, 0, false);
    set.SetInt(Pol::OpenLinksInNewWindow, 1);
    TextString target;
    HTML_GetLinkTarget(&set, 1, TextString("ftp://x.org/"), target);
    EXPECT_EQ(target.str(), "other");
}

TEST(LinkTarget, UrlAndTargetMayBeTheSameString) {
    FC set;
    set.SetInt(Pol::OpenLinksInNewWindow, 1);
    TextString text("http://x.org/");
    HTML_GetLinkTarget(&set, 1, text, text);
    EXPECT_EQ(text.str(), "other");
}
