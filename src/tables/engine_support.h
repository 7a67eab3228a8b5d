// Small helpers the table engine's output files share: the table
// configuration a block uses, policy switches read through a set that may be
// missing, and whole-line writes to an output document that may be missing.
#pragma once

#include "foundation/text_string.h"
#include "output/output_document.h"
#include "policies/fc.h"
#include "tables/preform.h"

namespace engine_support {

// The configuration the block was given, else the policy set's default one.
inline TabConfig* ConfigOf(const PreForm& engine) {
    if (engine.tabConfig) return engine.tabConfig;
    return engine.policies ? engine.policies->GetDefaultTabConfig() : nullptr;
}

inline bool IsOn(const FC* set, Pol id) { return set && set->IsOn(id); }

inline void Write(OutputDocument* document, FC* set, const char* text) {
    if (document) document->WriteText(set, document, text);
}
inline void Write(OutputDocument* document, FC* set, const TextString& text) { Write(document, set, text.buffer); }

}  // namespace engine_support
