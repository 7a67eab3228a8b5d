// Alignment codes: how a paragraph, a heading, a table or a cell is aligned
// ("Table alignment" and the other alignment policies, the alignment
// arguments of tags, the cells of a table), and how a cell is aligned
// vertically.
#pragma once

enum Alignment : int {
    kAlignmentNone = 0,  // not given: the writer's default
    kAlignmentLeft = 1,
    kAlignmentCentre = 2,
    kAlignmentRight = 3,
    kAlignmentJustified = 4,
};

enum VerticalAlignment : int {
    kVerticalNone = 0,
    kVerticalTop = 1,
    kVerticalBottom = 2,
    kVerticalCentre = 3,
};
