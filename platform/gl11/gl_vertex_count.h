// SPDX-License-Identifier: MIT
// Where a vertex stands in its glBegin/glEnd primitive, as far as assembly asks: whether it is among the first
// three, and its place modulo 2, 3 and 4. Past 24 vertices the count steps back by 12, which keeps every such
// answer, so a primitive of any length never overflows it.
#pragma once

class GlVertexCount {
public:
    // Starts a primitive; a test may start further on to see the count fold.
    void start(unsigned long long at = 0) { n = at < 24 ? static_cast<int>(at) : static_cast<int>(12 + at % 12); }
    // The index of the vertex that arrives now (its true index where that is under 24, else one equal to it
    // modulo 12 and at least 12); the count moves on.
    int next()
    {
        const int index = n++;
        if (n == 24)
            n = 12;
        return index;
    }
    int seen() const { return n; }   // vertices so far, folded the same way

private:
    int n = 0;
};
