#include "analysis/heading_list.h"

#include "policies/fc.h"

void HeadingListEntry::GetAnchorName(TextString& out) const {
    out.Assign("toc_");
    out.Append(fileName);
    out.AppendChar('_');
    out.AppendNumber('1', id, 0);
}

void HeadingList::Add(FC*, int lineType, const TextString& text, const TextString& title,
                      const TextString& anchorStem, const SourcePosition& position, const TextString& extra1,
                      const TextString& extra2, const TextString& extra3) {
    auto entry = std::make_unique<HeadingListEntry>();
    auto tidy = [](TextString& value) {
        for (int i = 0; i < value.length; ++i)
            if (value.buffer[i] == '\t') value.buffer[i] = ' ';
        value.CollapseBlanks();
        value.Trim(0, " ");
    };
    entry->lineType = lineType;
    entry->text = text;
    tidy(entry->text);
    entry->title = title;
    tidy(entry->title);
    entry->titleWithoutNumber = entry->title;
    entry->anchorStem = anchorStem;
    tidy(entry->anchorStem);
    entry->title.GetField(1, ' ', &entry->number);
    entry->title.GetField(2, ' ', &entry->secondNumber);
    entry->extra1 = extra1;
    entry->extra2 = extra2;
    entry->extra3 = extra3;
    entry->position = position;
    entries.push_back(std::move(entry));
    entries.back()->id = Count();
}
