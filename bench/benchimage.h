#ifndef GLIMMERIX_BENCH_BENCHIMAGE_H
#define GLIMMERIX_BENCH_BENCHIMAGE_H

#include <QImage>

// The picture every benchmark runs on: deterministic and photo-like, with smooth
// gradients, fine noise, flat areas (some at 0 and 255) and hard edges.
// RGB32, the format the working image has after any effect.
QImage benchPicture(int width, int height);

#endif
