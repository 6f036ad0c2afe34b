// How far two pictures are apart, pixel by pixel, as a page in the browser sees them: each is
// drawn into a canvas of its own size, and every pixel's largest channel difference counts.
// Used by the test pages to compare what the browser draws with the native pictures.

/** An image loaded from an address (a data: address too). */
export async function loadImage (url)
{
    const picture = new Image();
    picture.src = url;
    await picture.decode();
    return picture;
}

function pixels (image)
{
    const canvas = document.createElement ('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext ('2d');
    context.drawImage (image, 0, 0);
    return context.getImageData (0, 0, image.width, image.height).data;
}

/** The comparison of an image (or a canvas) with another: their sizes, how many pixels differ
    at all and how many by more than `threshold` levels of 255, the largest difference, and
    where the first ten differences are. With `only`, a rectangle { x, y, width, height }, just
    the pixels inside it count; with `skip`, just those outside it. */
export function difference (ours, theirs, { threshold = 0, only = null, skip = null } = {})
{
    const a = ours instanceof HTMLCanvasElement ? ours.getContext ('2d').getImageData (0, 0, ours.width, ours.height).data : pixels (ours);
    const b = pixels (theirs);
    const result = { width: ours.width, height: ours.height, referenceWidth: theirs.width, referenceHeight: theirs.height,
                     pixels: a.length / 4, differing: 0, beyond: 0, largest: 0, where: [] };

    if (a.length !== b.length)
        return result;

    const inside = (r, x, y) => x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
    result.pixels = 0;

    for (let i = 0; i < a.length; i += 4)
    {
        const x = (i / 4) % ours.width, y = Math.floor (i / 4 / ours.width);

        if ((only !== null && ! inside (only, x, y)) || (skip !== null && inside (skip, x, y)))
            continue;

        ++result.pixels;
        const d = Math.max (Math.abs (a[i] - b[i]), Math.abs (a[i + 1] - b[i + 1]), Math.abs (a[i + 2] - b[i + 2]));
        result.largest = Math.max (result.largest, d);

        if (d > threshold)
            ++result.beyond;

        if (d > 0)
        {
            ++result.differing;

            if (result.where.length < 10)
                result.where.push ([x, y, d]);
        }
    }

    return result;
}
