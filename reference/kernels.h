#pragma once
// The block kernel models written out plainly, loop by loop, without the
// program's helpers: the evaluation every faster kernel must match byte for
// byte.

// Fills table (1284 x 1284 entries of three floats, row after row) with the
// kernel of (kind, h, angle) at height z: kind 1 axial dipole, 2 planar
// dipole at angle degrees, 3 monopole.
void ReferenceKernel(int kind, int h, int angle, float z, float* table);

// The same for table rows [first_row, end_row) only, which are cleared first;
// the other rows are left as they are. For comparing a share of the rows of
// kernels too slow to evaluate whole.
void ReferenceKernelRows(int kind, int h, int angle, float z, int first_row, int end_row,
                         float* table);
