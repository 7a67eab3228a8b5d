// Interim definitions: the block list is being built.
#include "context/block_list.h"

int BlockList::GetBlockType(FC*, const TextString*, const TextString*) { return kBlockUnknown; }
void BlockList::Add(FC*, OutputDocument*, TextString&) {}
void BlockList::Decrement(FC*, OutputDocument*, TextString&) {}
void BlockList::CountItem() {}
BlockEntry* BlockList::GetCurrent() const { return Innermost(); }
void BlockList::Pop(FC*, OutputDocument*, TextString&) {}
