#pragma once
// The tag that names files after the height z: z cut towards zero, plus
// 5000, so that every z of the accepted range gives four digits. Output
// names and kernel cache names share it.
inline int ZTag(float z) { return static_cast<int>(z) + 5000; }
