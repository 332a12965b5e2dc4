// Median by brightness with the full selection sort of every window.

#include "reference.h"

#include "brightness.h"

#include <vector>

namespace reference {

QImage median(const QImage &source, int size)
{
    if (size % 2 == 0)
        size -= 1; // an even window is lowered to the odd one below it
    const int width = source.width();
    const int height = source.height();

    // The strip that receives no output keeps the unfiltered pixels.
    QImage temp(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            temp.setPixel(x, y, source.pixel(x, y));
    if (size < 3)
        return temp;

    const int ost = (size - 1) / 2;
    const int places = size * size;
    std::vector<double> filtr(places);
    std::vector<int> filtri(places), filtrj(places);
    for (int i = ost; i <= width - ost - 1; ++i) {
        for (int j = ost; j <= height - ost - 1; ++j) {
            for (int k = -ost; k <= ost; ++k) {
                for (int l = -ost; l <= ost; ++l) {
                    const int place = (ost + k) * size + (ost + l);
                    filtr[place] = effects::brightness(source.pixel(i + k, j + l));
                    filtri[place] = i + k;
                    filtrj[place] = j + l;
                }
            }
            for (int k = 0; k <= places - 2; ++k) {
                double tem = filtr[k];
                int temi = filtri[k], temj = filtrj[k];
                int n = k;
                for (int l = k; l <= places - 1; ++l) {
                    if (filtr[l] < tem) {
                        tem = filtr[l];
                        temi = filtri[l];
                        temj = filtrj[l];
                        n = l;
                    }
                }
                filtr[n] = filtr[k];
                filtri[n] = filtri[k];
                filtrj[n] = filtrj[k];
                filtr[k] = tem;
                filtri[k] = temi;
                filtrj[k] = temj;
            }
            const int m = (places - 1) / 2;
            temp.setPixel(i, j, source.pixel(filtri[m], filtrj[m]));
        }
    }
    return temp;
}

} // namespace reference
