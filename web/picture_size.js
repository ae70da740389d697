// The drawings' and pictures' side in pixels: every drawing is SIDE x SIDE.
export const SIDE = 640;
