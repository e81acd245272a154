#!/usr/bin/python3
"""Draws every texture of the game and writes the catalogue data/textures.xml.

Run from anywhere: ./data/textures/generate.py
Needs Debian's python3-pil and the DejaVu fonts (fonts-dejavu-core), the faces
the game itself uses. Every image is drawn here from shapes, gradients and
words; sizes are powers of two. The output is deterministic, so running the
script again changes no file unless the script changed.

Each entry of TEXTURES below is (texture id, file name, drawing function);
the catalogue lists them in that order with the path "data/textures/<file>".
A drawing function that letters words on its picture names them in its
attribute "words"; data/textures/words.txt lists them, one texture a line
(its id, then the words as drawn), for the checks that read pictures back.

It also draws the window's icon, the menu robot's head on a panel, and
writes it as a Windows icon file with a large (32 x 32) and a small (16 x 16)
image: data/assets/zendra.ico.
"""

import math
import os
import random
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CATALOGUE = os.path.join(ROOT, "data", "textures.xml")
ICON = os.path.join(ROOT, "data", "assets", "zendra.ico")
WORDS = os.path.join(HERE, "words.txt")
ICON_SIZES = (32, 16)  # the large icon first, then the small one
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

# Palette of the menus and the HUD.
NAVY = (14, 24, 44)
PANEL = (24, 42, 72)
PANEL_LIGHT = (40, 70, 112)
CYAN = (70, 200, 230)
ORANGE = (255, 150, 40)
WHITE = (255, 255, 255)
GREY = (170, 180, 195)
TEXT_DIM = (200, 215, 235)


def font(size, bold=True):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def text_centered(draw, box, text, size, fill=WHITE, bold=True):
    """Writes text centred in box (x0, y0, x1, y1), shrinking it to fit."""
    x0, y0, x1, y1 = box
    while size > 8:
        f = font(size, bold)
        l, t, r, b = draw.textbbox((0, 0), text, font=f)
        if r - l <= (x1 - x0) * 0.9 and b - t <= (y1 - y0) * 0.8:
            break
        size -= 2
    l, t, r, b = draw.textbbox((0, 0), text, font=f)
    x = x0 + ((x1 - x0) - (r - l)) / 2 - l
    y = y0 + ((y1 - y0) - (b - t)) / 2 - t
    # The shadow and the words are laid over the picture, not punched into
    # it: drawn straight on, the shadow's alpha would replace the panel's.
    image = draw._image
    layer = Image.new("RGBA", image.size, (0, 0, 0, 0))
    ld = ImageDraw.Draw(layer)
    ld.text((x + 2, y + 2), text, font=f, fill=(0, 0, 0, 160))
    ld.text((x, y), text, font=f, fill=fill)
    image.alpha_composite(layer)


def text_lines(draw, x, y, lines, size, fill=TEXT_DIM, spacing=1.45, bold=False):
    f = font(size, bold)
    for line in lines:
        draw.text((x, y), line, font=f, fill=fill)
        y += int(size * spacing)
    return y


def vertical_gradient(w, h, top, bottom, alpha=255):
    img = Image.new("RGBA", (w, h))
    px = img.load()
    for y in range(h):
        k = y / max(1, h - 1)
        c = tuple(int(top[i] + (bottom[i] - top[i]) * k) for i in range(3)) + (alpha,)
        for x in range(w):
            px[x, y] = c
    return img


def solid(w, h, colour, noise=0, seed=1):
    img = Image.new("RGBA", (w, h), colour + (255,))
    if noise:
        rnd = random.Random(seed)
        px = img.load()
        for y in range(h):
            for x in range(w):
                d = rnd.randint(-noise, noise)
                px[x, y] = tuple(max(0, min(255, c + d)) for c in colour) + (255,)
    return img


def rounded_panel(w, h, fill, border, radius=None, width=4, alpha=235):
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    r = radius if radius is not None else min(w, h) // 6
    d.rounded_rectangle((1, 1, w - 2, h - 2), r, fill=fill + (alpha,), outline=border + (255,), width=width)
    return img


# Defaults ------------------------------------------------------------------

def filenotfound():
    img = Image.new("RGBA", (128, 128))
    d = ImageDraw.Draw(img)
    for y in range(8):
        for x in range(8):
            c = (255, 0, 255) if (x + y) % 2 == 0 else (20, 20, 20)
            d.rectangle((x * 16, y * 16, x * 16 + 15, y * 16 + 15), fill=c + (255,))
    d.rectangle((0, 44, 127, 84), fill=(0, 0, 0, 255))
    text_centered(d, (0, 44, 128, 84), "NO FILE", 22)
    return img


def wrongmeshid():
    img = Image.new("RGBA", (128, 128), (250, 210, 0, 255))
    d = ImageDraw.Draw(img)
    for k in range(-128, 256, 32):
        d.polygon([(k, 0), (k + 16, 0), (k + 16 + 128, 128), (k + 128, 128)], fill=(20, 20, 20, 255))
    d.rectangle((0, 44, 127, 84), fill=(0, 0, 0, 255))
    text_centered(d, (0, 44, 128, 84), "MESH ID?", 22, fill=(250, 210, 0))
    return img


def grayscale():
    """Soft round particle: white, alpha falling off from the centre."""
    size = 64
    img = Image.new("RGBA", (size, size))
    px = img.load()
    c = (size - 1) / 2
    for y in range(size):
        for x in range(size):
            r = math.hypot(x - c, y - c) / (size / 2)
            a = max(0.0, 1.0 - r)
            px[x, y] = (255, 255, 255, int(255 * a * a))
    return img


def colour(rgb, noise=6, seed=3):
    return lambda: solid(64, 64, rgb, noise, seed)


# Menu pieces ---------------------------------------------------------------

def button(label, hover=False):
    def draw():
        w, h = 256, 64
        fill = PANEL_LIGHT if hover else PANEL
        border = ORANGE if hover else CYAN
        img = rounded_panel(w, h, fill, border, radius=18, width=4)
        d = ImageDraw.Draw(img)
        text_centered(d, (8, 4, w - 8, h - 4), label, 30, fill=WHITE if hover else TEXT_DIM)
        return img
    return draw


def checkbox(checked, hover):
    def draw():
        img = Image.new("RGBA", (64, 64), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        border = ORANGE if hover else CYAN
        d.rounded_rectangle((4, 4, 59, 59), 10, fill=(PANEL_LIGHT if hover else PANEL) + (240,),
                            outline=border + (255,), width=5)
        if checked:
            d.line([(16, 33), (28, 46), (49, 18)], fill=WHITE + (255,), width=8, joint="curve")
        return img
    return draw


def slot(fill, border, alpha=220):
    return lambda: rounded_panel(256, 32, fill, border, radius=8, width=2, alpha=alpha)


def screen(title, lines=(), size=(1024, 512), body=None):
    """A full-screen background: gradient, frame, title and optional text."""
    def draw():
        w, h = size
        img = vertical_gradient(w, h, (22, 40, 70), NAVY)
        d = ImageDraw.Draw(img)
        grid = (30, 52, 86, 255)
        for x in range(0, w, 64):
            d.line([(x, 0), (x, h)], fill=grid, width=1)
        for y in range(0, h, 64):
            d.line([(0, y), (w, y)], fill=grid, width=1)
        d.rectangle((10, 10, w - 11, h - 11), outline=CYAN + (255,), width=4)
        if title:
            text_centered(d, (0, 24, w, 24 + h // 6), title, h // 8, fill=WHITE)
            d.line([(w // 4, 30 + h // 6), (3 * w // 4, 30 + h // 6)], fill=ORANGE + (255,), width=4)
        if lines:
            text_lines(d, w // 10, 50 + h // 5, lines, max(14, h // 26))
        if body:
            body(img, d)
        return img
    return draw


def popup(title, question, size=(512, 256)):
    """A dialog panel. Opaque: nothing of the screen it covers may show
    through it (only its rounded corners are clear)."""
    def draw():
        w, h = size
        img = rounded_panel(w, h, PANEL, CYAN, radius=24, width=5, alpha=255)
        d = ImageDraw.Draw(img)
        text_centered(d, (0, 14, w, 14 + h // 4), title, h // 6, fill=ORANGE)
        text_centered(d, (20, h // 4 + 10, w - 20, h // 2 + 20), question, h // 9, fill=WHITE, bold=False)
        return img
    return draw


def slider_knob():
    img = Image.new("RGBA", (32, 64), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((3, 3, 28, 60), 9, fill=ORANGE + (255,), outline=WHITE + (255,), width=3)
    for y in (24, 32, 40):
        d.line([(10, y), (21, y)], fill=(120, 60, 0, 255), width=2)
    return img


def slider_track():
    img = Image.new("RGBA", (256, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((1, 3, 254, 12), 4, fill=PANEL_LIGHT + (255,), outline=CYAN + (255,), width=2)
    return img


def name_field():
    """The box a new profile's name is typed into (the name is drawn over it)."""
    return rounded_panel(512, 64, (8, 14, 28), CYAN, radius=10, width=3, alpha=245)


def star(full):
    def draw():
        size = 128
        img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        c = size / 2
        pts = []
        for i in range(10):
            r = 58 if i % 2 == 0 else 24
            a = -math.pi / 2 + i * math.pi / 5
            pts.append((c + r * math.cos(a), c + 4 + r * math.sin(a)))
        if full:
            d.polygon(pts, fill=(255, 205, 40, 255), outline=(255, 255, 220, 255))
            d.line(pts + [pts[0]], fill=(180, 110, 0, 255), width=4)
        else:
            d.polygon(pts, fill=(40, 50, 70, 200))
            d.line(pts + [pts[0]], fill=GREY + (255,), width=4)
        return img
    return draw


def robot(frame):
    """The menu robot: frame 0 arm down, frame 1 arm waving, eyes blink."""
    def draw():
        img = Image.new("RGBA", (256, 256), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        body = (200, 210, 225, 255)
        dark = (60, 70, 90, 255)
        d.ellipse((78, 218, 178, 240), fill=(0, 0, 0, 90))  # shadow
        d.rounded_rectangle((88, 120, 168, 200), 14, fill=body, outline=dark, width=4)  # torso
        d.rounded_rectangle((84, 44, 172, 116), 20, fill=body, outline=dark, width=4)  # head
        d.line([(128, 44), (128, 22)], fill=dark, width=4)
        d.ellipse((120, 12, 136, 28), fill=ORANGE + (255,))
        if frame == 0:
            d.ellipse((100, 66, 122, 88), fill=CYAN + (255,), outline=dark, width=3)
            d.ellipse((134, 66, 156, 88), fill=CYAN + (255,), outline=dark, width=3)
            d.line([(168, 132), (190, 186)], fill=dark, width=12)
        else:
            d.line([(100, 78), (122, 78)], fill=dark, width=5)
            d.line([(134, 78), (156, 78)], fill=dark, width=5)
            d.line([(168, 132), (200, 90)], fill=dark, width=12)
            d.ellipse((192, 78, 212, 98), fill=body, outline=dark, width=3)
        d.line([(88, 132), (66, 186)], fill=dark, width=12)
        d.rounded_rectangle((96, 200, 120, 224), 6, fill=dark)
        d.rounded_rectangle((136, 200, 160, 224), 6, fill=dark)
        d.rectangle((108, 146, 148, 170), fill=(30, 40, 60, 255))
        d.rectangle((112, 152, 124 + 12 * frame, 164), fill=(90, 230, 120, 255))
        return img
    return draw


def transparent():
    """A fully transparent quad: carries the words of the screens (text components)."""
    return Image.new("RGBA", (8, 8), (0, 0, 0, 0))


def loading():
    def body(img, d):
        text_centered(d, (0, 150, 1024, 300), "ZENDRA", 120, fill=WHITE)
        d.line([(300, 310), (724, 310)], fill=CYAN + (255,), width=6)
    return screen(None, size=(1024, 512), body=body)


# Gameplay surfaces ---------------------------------------------------------

def crate(tint=None, symbol=None, glow=None):
    def draw():
        size = 128
        wood = (150, 100, 52)
        img = solid(size, size, wood, noise=10, seed=7)
        d = ImageDraw.Draw(img)
        rnd = random.Random(11)
        for y in range(0, size, 4):  # grain
            shade = rnd.randint(-18, 8)
            d.line([(0, y), (size, y + rnd.randint(-1, 1))],
                   fill=tuple(max(0, c + shade) for c in wood) + (255,), width=1)
        dark = (90, 56, 26, 255)
        d.rectangle((0, 0, size - 1, size - 1), outline=dark, width=12)
        d.line([(6, 6), (size - 7, size - 7)], fill=dark, width=12)
        d.line([(6, size - 7), (size - 7, 6)], fill=dark, width=12)
        for cx in (6, size - 7):
            for cy in (6, size - 7):
                d.ellipse((cx - 3, cy - 3, cx + 3, cy + 3), fill=(40, 40, 40, 255))
        if tint:
            overlay = Image.new("RGBA", (size, size), tint)
            img = Image.alpha_composite(img, overlay)
            d = ImageDraw.Draw(img)
        if glow:
            g = Image.new("RGBA", (size, size), (0, 0, 0, 0))
            gd = ImageDraw.Draw(g)
            gd.ellipse((24, 24, 104, 104), fill=glow)
            img = Image.alpha_composite(img, g.filter(ImageFilter.GaussianBlur(10)))
            d = ImageDraw.Draw(img)
        if symbol:
            symbol(d)
        return img
    return draw


def bomb_symbol(d):
    d.ellipse((40, 48, 88, 96), fill=(25, 25, 25, 255), outline=(255, 120, 0, 255), width=3)
    d.line([(74, 52), (86, 36)], fill=(90, 90, 90, 255), width=5)
    for a in range(0, 360, 45):
        r = math.radians(a)
        d.line([(88, 32), (88 + 10 * math.cos(r), 32 + 10 * math.sin(r))], fill=(255, 220, 60, 255), width=3)


def swirl(bright):
    def sym(d):
        colour_ = (150, 230, 255, 255) if bright else (120, 90, 200, 255)
        for k in range(3):
            r0 = 14 + k * 12
            d.arc((64 - r0, 64 - r0, 64 + r0, 64 + r0), 30 + k * 60, 300 + k * 60, fill=colour_, width=6)
        if bright:
            d.ellipse((56, 56, 72, 72), fill=(255, 255, 255, 255))
    return sym


def hologram(rgb, marks):
    """What a pad offers, as light: a see-through face with bright edges and
    the marks of the real thing (a crate's cross, a bridge's planks). It must
    never read as the real, solid thing, which a person would try to reach
    or take for one sunk in the floor."""
    def draw():
        size = 128
        img = Image.new("RGBA", (size, size), rgb + (40,))
        d = ImageDraw.Draw(img)
        light = tuple(min(255, c + 60) for c in rgb)
        for y in range(0, size, 8):  # scan lines
            d.line([(0, y), (size, y)], fill=light + (70,), width=2)
        marks(d, size, light + (170,))
        d.rectangle((0, 0, size - 1, size - 1), outline=tuple(min(255, c + 120) for c in rgb) + (255,), width=8)
        return img
    return draw


def cross_marks(d, size, fill):
    d.line([(10, 10), (size - 11, size - 11)], fill=fill, width=6)
    d.line([(10, size - 11), (size - 11, 10)], fill=fill, width=6)


def plank_marks(d, size, fill):
    for y in range(size // 4, size, size // 4):
        d.line([(0, y), (size, y)], fill=fill, width=5)


# Pads, switches and bridge triggers: each has a free and a pressed look that
# differ in brightness and colour over the whole face, not in a detail. At
# the usual camera a pad is some twenty pixels across and a crate lying on
# it hides all but its edges, so what counts is the face's mean colour and
# its rim: free looks are dark and dull to the edges, pressed looks are lit
# bright to the edges.

def spawner_trigger(frame):
    """Four frames of a dark pad whose lit cyan segment goes round (frame 1
    to 4); frame None is the pressed pad, lit azure to its edges (bluer than
    the turquoise tutorial tiles) with the whole ring white."""
    def draw():
        size = 128
        pressed = frame is None
        img = solid(size, size, (40, 175, 255) if pressed else (70, 76, 88), noise=4, seed=5)
        d = ImageDraw.Draw(img)
        d.rectangle((0, 0, size - 1, size - 1), outline=((215, 245, 255) if pressed else (40, 44, 52)) + (255,),
                    width=8)
        d.ellipse((18, 18, 110, 110), fill=((110, 205, 255) if pressed else (36, 40, 50)) + (255,),
                  outline=((255, 255, 255) if pressed else (120, 130, 150)) + (255,), width=4)
        for seg in range(4):
            lit = pressed or seg == (frame - 1) % 4
            start = -90 + seg * 90 + 6
            d.arc((26, 26, 102, 102), start, start + 78,
                  fill=((255, 255, 255) if pressed else (90, 230, 255) if lit else (50, 80, 100)) + (255,), width=12)
        d.rectangle((54, 54, 74, 74), fill=(150, 100, 52, 255), outline=(90, 56, 26, 255), width=3)
        return img
    return draw


def switch(pressed):
    """Free: a dark red button on a dark plate. Pressed: the plate lit green
    to its edges round a bright green button."""
    def draw():
        size = 128
        plate, rim, face, ring = (((60, 235, 90), (160, 255, 175), (110, 255, 135), (235, 255, 235)) if pressed
                                  else ((48, 50, 56), (30, 31, 36), (150, 28, 28), (190, 60, 60)))
        img = solid(size, size, plate, noise=4, seed=9)
        d = ImageDraw.Draw(img)
        d.rectangle((0, 0, size - 1, size - 1), outline=rim + (255,), width=8)
        d.rounded_rectangle((22, 22, 105, 105), 14, fill=face + (255,), outline=(30, 30, 30, 255), width=5)
        d.rounded_rectangle((36, 36, 91, 91), 9, outline=ring + (255,), width=4)
        return img
    return draw


def bridge_trigger(pressed):
    """The pad of a bridge, unlike the bridge's brown planks: free, a dark
    plate with a dull amber frame and a two-way arrow (the bridge slides);
    pressed, the plate lit amber to its edges with a white frame and arrow."""
    def draw():
        size = 128
        plate, rim, mark = (((255, 180, 40), (255, 230, 140), (255, 250, 230)) if pressed
                            else ((62, 66, 76), (38, 40, 46), (160, 110, 35)))
        img = solid(size, size, plate, noise=4, seed=13)
        d = ImageDraw.Draw(img)
        d.rectangle((0, 0, size - 1, size - 1), outline=rim + (255,), width=8)
        d.rectangle((20, 20, 107, 107), outline=mark + (255,), width=6)
        d.rectangle((44, 58, 83, 69), fill=mark + (255,))
        d.polygon([(30, 63), (48, 44), (48, 82)], fill=mark + (255,))
        d.polygon([(97, 63), (79, 44), (79, 82)], fill=mark + (255,))
        return img
    return draw


# The enemies' body: hazard yellow, so a patrol or the chaser stands out
# from the grey-blue floors and walls, also in shadow; red when alerted.
ENEMY_BODY = (230, 185, 40)


def enemy(alert):
    def draw():
        size = 128
        base = (170, 40, 40) if alert else ENEMY_BODY
        img = solid(size, size, base, noise=6, seed=13)
        d = ImageDraw.Draw(img)
        for y in range(0, size, 32):
            d.line([(0, y), (size, y)], fill=(30, 30, 40, 255), width=3)
        eye = (255, 60, 40) if alert else (90, 230, 255)
        d.rounded_rectangle((24, 44, 104, 76), 12, fill=(20, 20, 28, 255))
        d.ellipse((36, 50, 56, 70), fill=eye + (255,))
        d.ellipse((72, 50, 92, 70), fill=eye + (255,))
        return img
    return draw


def power_icon(kind, active):
    def draw():
        img = Image.new("RGBA", (128, 128), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        border = ORANGE if active else CYAN
        d.rounded_rectangle((4, 4, 123, 123), 22, fill=(PANEL_LIGHT if active else PANEL) + (235,),
                            outline=border + (255,), width=6)
        # The symbol in the upper part, the word large below it: the icon is
        # drawn at 64 x 64 of the 1024 x 768 layout, 50 pixels at 800 x 600.
        if kind == "explosion":
            pts = []
            for i in range(16):
                r = 36 if i % 2 == 0 else 16
                a = i * math.pi / 8
                pts.append((64 + r * math.cos(a), 46 + r * math.sin(a)))
            d.polygon(pts, fill=(255, 140, 30, 255), outline=(255, 230, 80, 255))
            label = "BOOM"
        else:
            d.ellipse((24, 12, 56, 44), outline=(140, 220, 255, 255), width=5)
            d.ellipse((72, 40, 104, 72), outline=(180, 140, 255, 255), width=5)
            d.line([(52, 24), (80, 24)], fill=WHITE + (255,), width=4)
            d.polygon([(80, 17), (91, 24), (80, 31)], fill=WHITE + (255,))
            d.line([(48, 60), (76, 60)], fill=WHITE + (255,), width=4)
            d.polygon([(48, 53), (37, 60), (48, 67)], fill=WHITE + (255,))
            label = "SWAP"
        text_centered(d, (14, 80, 114, 118), label, 30, fill=WHITE if active else TEXT_DIM)
        return img
    draw.words = ("BOOM" if kind == "explosion" else "SWAP",)
    return draw


def powers_backing():
    img = rounded_panel(256, 128, NAVY, CYAN, radius=20, width=4, alpha=200)
    d = ImageDraw.Draw(img)
    text_centered(d, (0, 3, 256, 31), "POWERS", 24, fill=GREY)
    return img


powers_backing.words = ("POWERS",)


def frame_graph_backing():
    # Half of it lies below the window's bottom edge: the caption goes on top,
    # so the dark panel over a menu reads as the graph, not a leftover.
    img = Image.new("RGBA", (512, 512), (8, 12, 20, 150))
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, 511, 511), outline=GREY + (200,), width=3)
    text_centered(d, (0, 8, 512, 40), "FRAME RATE  (console: fps 0 hides it)", 20, fill=GREY)
    return img


def tile(base, line, step=32, noise=6, seed=17, mark=None):
    def draw():
        size = 128
        img = solid(size, size, base, noise=noise, seed=seed)
        d = ImageDraw.Draw(img)
        for k in range(0, size, step):
            d.line([(k, 0), (k, size)], fill=line + (255,), width=2)
            d.line([(0, k), (size, k)], fill=line + (255,), width=2)
        if mark:
            mark(d)
        return img
    return draw


def stripes(a, b, width=16):
    def draw():
        size = 128
        img = Image.new("RGBA", (size, size), a + (255,))
        d = ImageDraw.Draw(img)
        for k in range(-size, 2 * size, 2 * width):
            d.polygon([(k, 0), (k + width, 0), (k + width + size, size), (k + size, size)], fill=b + (255,))
        return img
    return draw


def arrows(d):
    for y in (16, 80):
        d.polygon([(40, y), (88, y), (64, y + 28)], fill=(250, 210, 0, 255))


def cracks(d):
    for points in (((8, 30), (34, 44), (50, 36), (72, 58), (96, 52), (120, 70)),
                   ((40, 120), (52, 94), (44, 76), (64, 58)),
                   ((96, 52), (102, 80), (88, 100), (94, 122))):
        d.line(points, fill=(52, 54, 60, 255), width=3)


def exit_mark(d):
    d.ellipse((24, 24, 104, 104), outline=(90, 255, 140, 255), width=8)
    d.polygon([(52, 40), (88, 64), (52, 88)], fill=(90, 255, 140, 255))


def checkpoint_mark(d):
    d.line([(48, 24), (48, 104)], fill=(230, 230, 230, 255), width=6)
    d.polygon([(50, 26), (94, 40), (50, 56)], fill=(60, 200, 255, 255))


def collectable():
    img = Image.new("RGBA", (64, 64), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.polygon([(32, 4), (58, 32), (32, 60), (6, 32)], fill=(255, 210, 60, 255), outline=(255, 250, 200, 255))
    d.polygon([(32, 12), (46, 32), (32, 52), (18, 32)], fill=(255, 240, 140, 255))
    return img


def energy(rgb, seed):
    """Translucent energy surface (jet streams, force fields)."""
    def draw():
        size = 128
        img = Image.new("RGBA", (size, size))
        px = img.load()
        for y in range(size):
            for x in range(size):
                wave = 0.5 + 0.5 * math.sin((x + 2 * y) * math.pi / 16 + seed)
                a = int(70 + 110 * wave)
                px[x, y] = rgb + (a,)
        return img
    return draw


def comet():
    img = Image.new("RGBA", (128, 128), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.ellipse((8, 8, 120, 120), fill=(120, 60, 30, 255))
    rnd = random.Random(23)
    for _ in range(14):
        x, y, r = rnd.randint(20, 100), rnd.randint(20, 100), rnd.randint(5, 14)
        d.ellipse((x - r, y - r, x + r, y + r), fill=(80, 40, 20, 255))
    g = Image.new("RGBA", (128, 128), (0, 0, 0, 0))
    ImageDraw.Draw(g).ellipse((20, 20, 108, 108), fill=(255, 120, 20, 110))
    return Image.alpha_composite(img, g.filter(ImageFilter.GaussianBlur(12)))


def player_skin():
    size = 128
    img = solid(size, size, (215, 222, 232), noise=4, seed=29)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 56, size, 72), fill=(255, 150, 40, 255))
    for x in (16, 48, 80, 112):
        d.ellipse((x - 4, 24, x + 4, 32), fill=(90, 100, 120, 255))
        d.ellipse((x - 4, 96, x + 4, 104), fill=(90, 100, 120, 255))
    return img


# Tutorial popups ------------------------------------------------------------

def keycap(d, x, y, label, w=48, h=48):
    d.rounded_rectangle((x + 3, y + 4, x + w + 3, y + h + 4), 9, fill=(0, 0, 0, 120))
    d.rounded_rectangle((x, y, x + w, y + h), 9, fill=(235, 240, 250, 255), outline=GREY + (255,), width=3)
    text_centered(d, (x, y, x + w, y + h), label, 34, fill=NAVY)


def mouse_icon(d, x, y, left=True, right=False):
    """A mouse seen from above, 48x72, with the named buttons lit."""
    d.rounded_rectangle((x, y, x + 48, y + 72), 22, fill=(235, 240, 250, 255), outline=GREY + (255,), width=3)
    d.line([(x + 24, y + 2), (x + 24, y + 30)], fill=GREY + (255,), width=3)
    d.line([(x + 2, y + 30), (x + 46, y + 30)], fill=GREY + (255,), width=3)
    if left:
        d.pieslice((x + 3, y + 3, x + 45, y + 45), 180, 270, fill=ORANGE + (255,))
    if right:
        d.pieslice((x + 3, y + 3, x + 45, y + 45), 270, 360, fill=CYAN + (255,))


class Unfit(ValueError):
    """A picture whose words or drawing do not fit inside its border."""


def tutorial(title, lines, icons=None):
    """A tutorial picture: a band at the top with the drawing (keys or
    icons) at the left and the title beside it, then the lines of words
    across the whole width. The picture covers 300 x 180 of the 1024 x 768
    layout, so at 800 x 600 its 512 columns fall on 234 pixels and its 256
    rows on 141: the words take the largest size at which every line fits,
    one size for all lines (a line set smaller reads as less important);
    the band takes the rows the words leave. Words and drawing keep
    TUTORIAL_PAD from the edges, clear of the border at any window size
    (the picture is scaled as a whole); words that would need a size below
    TUTORIAL_TEXT_LEAST to fit raise Unfit: shorten them."""
    def draw():
        w, h = TUTORIAL_IMAGE
        img = rounded_panel(w, h, PANEL, CYAN, radius=24, width=TUTORIAL_BORDER, alpha=240)
        # Everything lettered or drawn goes on a layer of its own, whose ink is
        # checked against the margins before it is laid on the panel.
        layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        d = ImageDraw.Draw(layer)
        x0, y0 = TUTORIAL_PAD
        x1, y1 = w - x0, h - y0
        gap = 8  # between the band and the first line, the rule in it
        # Bold: regular strokes, two texels wide, fall on less than a pixel.
        for size in range(TUTORIAL_TEXT_SIZE, TUTORIAL_TEXT_LEAST - 1, -1):
            f = font(size)
            pitch = round(size * 1.28)
            wide = max(f.getbbox(line)[2] - f.getbbox(line)[0] for line in lines)
            if wide <= x1 - x0 and pitch * len(lines) <= y1 - y0 - TUTORIAL_BAND[0] - gap:
                break
        else:
            raise Unfit("its %d lines need %d x %d texels at size %d, the least; the words have %d x %d:"
                        " shorten or cut them" % (len(lines), wide, pitch * len(lines), size, x1 - x0,
                                                  y1 - y0 - TUTORIAL_BAND[0] - gap))
        ascent, descent = f.getmetrics()
        band = min(TUTORIAL_BAND[1], y1 - y0 - gap - pitch * len(lines))
        left = x0
        if icons:
            # Drawn at their own size, then fitted into the band beside a
            # title of at least TUTORIAL_TITLE_SIZE (a long one takes room).
            art_layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
            icons(ImageDraw.Draw(art_layer))
            art = art_layer.crop(art_layer.getbbox())
            title_width = d.textbbox((0, 0), title, font=font(TUTORIAL_TITLE_SIZE))[2] / 0.9
            room = min(160, max(64, x1 - x0 - 14 - title_width))
            k = min(1.0, room / art.width, (band - 8) / art.height)
            art = art.resize((max(1, round(art.width * k)), max(1, round(art.height * k))), Image.LANCZOS)
            layer.alpha_composite(art, (x0, y0 + (band - art.height) // 2))
            left = x0 + art.width + 14
        text_centered(d, (left, y0, x1, y0 + band), title, 46, fill=ORANGE)
        d.line([(x0 + 10, y0 + band + 3), (x1 - 10, y0 + band + 3)], fill=CYAN + (255,), width=3)
        y = y0 + band + gap + (y1 - y0 - band - gap - pitch * len(lines)) // 2
        for line in lines:
            # Each line's ink starts at the margin (a J's reaches left of its origin).
            d.text((x0 - f.getbbox(line)[0], y + (pitch - ascent - descent) // 2), line, font=f, fill=WHITE)
            y += pitch
        ink = layer.getbbox()
        if ink[0] < x0 or ink[1] < y0 or ink[2] > x1 or ink[3] > y1:
            raise Unfit("its ink %s reaches past the margins %s" % (ink, (x0, y0, x1, y1)))
        img.alpha_composite(layer)
        return img
    draw.words = (title,) + tuple(lines)
    return draw


# The tutorial picture's image and its border, the margin that its words and
# drawing keep from the image's edges (x, y), the words' largest and least
# size, the title's least, and the title band's least and greatest height,
# all in texels.
TUTORIAL_IMAGE = (512, 256)
TUTORIAL_BORDER = 5
TUTORIAL_PAD = (22, 18)
TUTORIAL_TEXT_SIZE = 30
TUTORIAL_TEXT_LEAST = 24
TUTORIAL_TITLE_SIZE = 34
TUTORIAL_BAND = (52, 120)


def keys_wasd(d):
    keycap(d, 76, 86, "W")
    for i, k in enumerate("ASD"):
        keycap(d, 24 + 52 * i, 140, k)
    keycap(d, 24, 196, "Q", w=40, h=40)
    keycap(d, 124, 196, "E", w=40, h=40)


def keys_mouse(d):
    mouse_icon(d, 30, 96, left=True)
    mouse_icon(d, 96, 96, left=False, right=True)


def key_row(*labels):
    def icons(d):
        x = 24
        for label in labels:
            keycap(d, x, 120, label)
            x += 58
    return icons


def sight_cone(d):
    d.polygon([(40, 160), (150, 100), (150, 220)], fill=(255, 60, 40, 90), outline=(255, 60, 40, 255))
    d.rounded_rectangle((22, 140, 58, 180), 8, fill=ENEMY_BODY + (255,), outline=(30, 30, 40, 255), width=3)
    d.ellipse((32, 150, 46, 164), fill=(90, 230, 255, 255))


def checkpoint_flag(d):
    d.line([(60, 100), (60, 220)], fill=(230, 230, 230, 255), width=8)
    d.polygon([(64, 102), (130, 122), (64, 146)], fill=(60, 200, 255, 255))
    d.ellipse((36, 212, 84, 228), fill=(60, 200, 255, 140))



# Tutorial pictures of the middle levels: small drawings of the new thing.

def chaser_icon(d):
    d.rounded_rectangle((30, 140, 66, 180), 8, fill=ENEMY_BODY + (255,), outline=(30, 30, 40, 255), width=3)
    d.ellipse((40, 150, 54, 164), fill=(255, 70, 50, 255))
    for i in range(3):
        d.polygon([(80 + 22 * i, 148), (96 + 22 * i, 160), (80 + 22 * i, 172)], fill=ORANGE + (255,))


def enemybox_icon(d):
    d.rectangle((40, 96, 84, 140), fill=ENEMY_BODY + (255,), outline=(30, 30, 40, 255), width=3)
    d.line([(62, 146), (62, 170)], fill=WHITE + (255,), width=4)
    d.polygon([(52, 166), (72, 166), (62, 180)], fill=WHITE + (255,))
    d.rectangle((30, 184, 94, 196), fill=(120, 120, 130, 255))
    d.text((100, 140), "8s", font=font(44, True), fill=ORANGE)


def conveyor_icon(d):
    d.rounded_rectangle((24, 170, 150, 196), 12, fill=(60, 64, 72, 255), outline=(20, 20, 24, 255), width=3)
    for i in range(4):
        x = 40 + 28 * i
        d.polygon([(x, 176), (x + 14, 183), (x, 190)], fill=ORANGE + (255,))
    d.rectangle((70, 128, 106, 164), fill=(176, 124, 64, 255), outline=(90, 60, 30, 255), width=3)


def platform_icon(d):
    # One above the other, as the lines tell of them: a blue platform on its
    # jet, a grey one falling, a comet.
    d.rectangle((24, 86, 84, 100), fill=(70, 130, 170, 255), outline=(40, 40, 50, 255), width=2)
    for i in range(5):
        d.line([(34 + 10 * i, 104), (30 + 10 * i, 116 + (i % 2) * 6)], fill=CYAN + (255,), width=3)
    d.rectangle((24, 136, 84, 150), fill=(150, 152, 158, 255), outline=(40, 40, 50, 255), width=2)
    d.line([(54, 154), (54, 170)], fill=ORANGE + (255,), width=4)
    d.polygon([(44, 166), (64, 166), (54, 180)], fill=ORANGE + (255,))
    d.ellipse((40, 196, 60, 216), fill=(255, 180, 60, 255))
    d.line([(60, 198), (80, 182)], fill=(255, 220, 120, 255), width=3)


def spawner_icon(d):
    # The grey spawner block, the crate it drops, and the pad as the level
    # shows it: dark, with a cyan ring.
    d.rectangle((20, 96, 60, 136), fill=(150, 156, 168, 255), outline=(40, 40, 50, 255), width=3)
    d.line([(40, 140), (40, 156)], fill=WHITE + (255,), width=4)
    d.polygon([(32, 152), (48, 152), (40, 164)], fill=WHITE + (255,))
    d.rectangle((26, 168, 54, 196), fill=(190, 130, 60, 255), outline=(90, 60, 30, 255), width=3)
    d.rounded_rectangle((64, 196, 112, 226), 5, fill=(70, 76, 88, 255), outline=(40, 44, 52, 255), width=3)
    d.ellipse((72, 201, 104, 221), fill=(36, 40, 50, 255), outline=(90, 230, 255, 255), width=3)


# Screens -------------------------------------------------------------------

INSTRUCTIONS = (
    "Take the robot to the green exit of every level.",
    "Pick up crates, carry them, put them down or throw",
    "them. A crate or the robot on a switch opens doors",
    "and extends bridges.",
    "Powers: choose one for the crate you carry, then put",
    "it down or throw it. The explosion blows up crates",
    "and barriers where the crate lands. The teleport,",
    "once its crate lies still, swaps the robot and the",
    "crate when you press T.",
    "A patrolling robot that catches you sends you back to",
    "the last checkpoint; a chaser ends the attempt.",
)

# The keyboard and mouse of player one, as data/mappings.xml binds them.
INSTRUCTION_KEYS = (
    ("W A S D", "walk"),
    ("Q  E", "turn the camera"),
    ("Left click", "pick up, throw"),
    ("Right click", "put down"),
    ("1  2", "explosion, teleport"),
    ("T", "teleport the robot"),
    ("P", "back to the checkpoint"),
    ("Esc", "pause"),
)


def instructions(img, d):
    """The rules on the left, the keys on the right, above the Back button."""
    rules_left, rules_right, keys_left, top = 70, 590, 630, 150
    size = 17
    f = font(size, bold=False)
    for line in INSTRUCTIONS:
        if d.textbbox((0, 0), line, font=f)[2] > rules_right - rules_left:
            sys.exit("instructions line too wide: " + line)
    bottom = text_lines(d, rules_left, top, INSTRUCTIONS, size)
    d.text((keys_left, top - 4), "Keys", font=font(20), fill=ORANGE)
    y = top + 30
    for keys, meaning in INSTRUCTION_KEYS:
        d.text((keys_left, y), keys, font=font(size), fill=WHITE)
        d.text((keys_left + 130, y), meaning, font=f, fill=TEXT_DIM)
        y += 30
    if max(bottom, y) > 430:
        sys.exit("instructions run into the Back button")

TWO_PLAYER_RULES = (
    "Two robots race to one exit: the first one there wins.",
    "Player one steers the left robot, player two the right one,",
    "each with a game pad of their own.",
    "Left stick: walk.   A: pick up a crate, A again: throw it.",
    "B: put the crate down.   Start: pause the race.",
    "Put your crate on your own raised switch to open your gate.",
    "A robot that falls off starts again where it began.",
)

CREDITS = (
    "A game by the Zendra team",
    "",
    "Design, programming, art and sound: the Zendra team",
    "Fonts: DejaVu",
    "",
    "Thank you for playing!",
)


def textures():
    t = [
        # Defaults of the texture manager.
        ("filenotfound", "filenotfound.png", filenotfound),
        ("wrongmeshid", "wrongmeshid.png", wrongmeshid),
        # Particles and plain colours.
        ("grayscale", "grayscale.png", grayscale),
        ("orange", "orange.png", colour((255, 140, 30))),
        ("turq", "turq.png", colour((40, 210, 200))),
        ("red", "red.png", colour((220, 40, 40))),
        ("blue", "blue.png", colour((40, 90, 230))),
        ("green", "green.png", colour((50, 200, 80))),
        ("yellow", "yellow.png", colour((250, 210, 0))),
        ("purple", "purple.png", colour((150, 70, 220))),
        ("white", "white.png", colour((245, 245, 245), noise=0)),
        ("black", "black.png", colour((12, 12, 12), noise=0)),
        ("framegraph", "framegraph.png", frame_graph_backing),
        # Pause menu and its screens.
        ("bgpausemenu", "bgpausemenu.png", popup("PAUSED", "", size=(512, 512))),
        # Behind the pause panel over the whole window: the level, its
        # popups and the screen below neither show nor seem clickable.
        ("bgpauseshade", "bgpauseshade.png", screen("")),
        ("resume", "resume.png", button("Resume")),
        ("restart", "restart.png", button("Restart")),
        ("howtoplay", "howtoplay.png", button("How to Play")),
        ("pauseoptions", "pauseoptions.png", button("Options")),
        ("pausecredits", "pausecredits.png", button("Credits")),
        ("quittomenu", "quittomenu.png", button("Quit to Menu")),
        ("exitgame", "exitgame.png", button("Exit Game")),
        ("multiplayer", "multiplayer.png", button("Two Players")),
        ("bgPauseInstructions", "bgPauseInstructions.png", screen("How to Play", body=instructions)),
        ("bgPauseExit", "bgPauseExit.png", popup("Quit", "Quit to the main menu?")),
        ("bgExitPopup", "bgExitPopup.png", popup("Exit", "Quit the game?")),
        ("bgGameRetry", "bgGameRetry.png", popup("Try Again?", "Start this level over?")),
        ("bgmainoptions", "bgmainoptions.png", screen("Options")),
        ("bgmaincredits", "bgmaincredits.png", screen("Credits", CREDITS)),
        # Check boxes.
        ("checked", "checked.png", checkbox(True, False)),
        ("checkedHover", "checkedHover.png", checkbox(True, True)),
        ("unchecked", "unchecked.png", checkbox(False, False)),
        ("uncheckedHover", "uncheckedHover.png", checkbox(False, True)),
        # Profile slots.
        ("blank", "blank.png", slot(PANEL, GREY)),
        ("blankhover", "blankhover.png", slot(PANEL_LIGHT, CYAN)),
        ("blankselected", "blankselected.png", slot((235, 240, 250), ORANGE, alpha=245)),
        # Loading picture, menu robot, grades.
        ("loading_00", "loading_00.png", loading()),
        ("robot_00", "robot_00.png", robot(0)),
        ("robot_01", "robot_01.png", robot(1)),
        ("star", "star.png", star(True)),
        ("star_empty", "star_empty.png", star(False)),
        # Crates and their powers.
        ("crate", "crate.png", crate()),
        ("crate_explosion", "crate_explosion.png", crate((255, 60, 0, 50), bomb_symbol, (255, 120, 0, 150))),
        ("crate_teleportwait", "crate_teleportwait.png", crate((80, 40, 160, 70), swirl(False))),
        ("crate_teleportgo", "crate_teleportgo.png", crate((60, 160, 255, 70), swirl(True), (120, 220, 255, 170))),
        ("crate_hologram", "crate_hologram.png", hologram((60, 190, 255), cross_marks)),
        ("crate_spawnertrigger", "crate_spawnertrigger.png", spawner_trigger(1)),
        ("crate_spawnertrigger1", "crate_spawnertrigger1.png", spawner_trigger(1)),
        ("crate_spawnertrigger2", "crate_spawnertrigger2.png", spawner_trigger(2)),
        ("crate_spawnertrigger3", "crate_spawnertrigger3.png", spawner_trigger(3)),
        ("crate_spawnertrigger4", "crate_spawnertrigger4.png", spawner_trigger(4)),
        ("crate_spawnertrigger_pressed", "crate_spawnertrigger_pressed.png", spawner_trigger(None)),
        # Switches and enemies.
        ("switch_green", "switch_green.png", switch(True)),
        ("switch_red", "switch_red.png", switch(False)),
        ("enemy", "enemy.png", enemy(False)),
        ("enemy_red", "enemy_red.png", enemy(True)),
        # HUD power icons: default and highlighted.
        ("explosionpowerselected", "explosionpowerselected.png", power_icon("explosion", False)),
        ("explosionpoweractive", "explosionpoweractive.png", power_icon("explosion", True)),
        ("teleportpowerselected", "teleportpowerselected.png", power_icon("teleport", False)),
        ("teleportpoweractive", "teleportpoweractive.png", power_icon("teleport", True)),
        ("robotpowersbacking", "robotpowersbacking.png", powers_backing),
        # Surfaces for the level objects.
        ("player", "player.png", player_skin),
        ("floor", "floor.png", tile((96, 104, 118), (70, 76, 88))),
        ("wall", "wall.png", tile((120, 130, 150), (84, 92, 110), step=64, seed=19)),
        ("metal", "metal.png", tile((150, 156, 166), (120, 126, 136), step=128, noise=10, seed=21)),
        ("door", "door.png", stripes((60, 64, 72), (250, 170, 0), width=20)),
        ("bridge", "bridge.png", tile((110, 90, 60), (70, 56, 36), step=16, seed=25)),
        ("bridge_hologram", "bridge_hologram.png", hologram((255, 190, 60), plank_marks)),
        ("bridgetrigger", "bridgetrigger.png", bridge_trigger(False)),
        ("bridgetrigger_pressed", "bridgetrigger_pressed.png", bridge_trigger(True)),
        ("conveyorbelt", "conveyorbelt.png", tile((40, 40, 46), (25, 25, 30), step=16, noise=3, mark=arrows)),
        ("platform", "platform.png", tile((70, 130, 170), (40, 80, 110), step=64, seed=27)),
        ("fallingplatform", "fallingplatform.png", tile((150, 152, 158), (104, 106, 114), step=64, seed=29, mark=cracks)),
        ("barrier", "barrier.png", stripes((230, 230, 230), (210, 40, 40))),
        ("exit", "exit.png", tile((30, 60, 40), (20, 40, 26), step=64, noise=3, mark=exit_mark)),
        ("checkpoint", "checkpoint.png", tile((40, 56, 80), (26, 36, 54), step=64, noise=3, mark=checkpoint_mark)),
        ("collectable", "collectable.png", collectable),
        ("jetstream", "jetstream.png", energy((120, 220, 255), 0.0)),
        ("forcefield", "forcefield.png", energy((160, 120, 255), 1.5)),
        ("comet", "comet.png", comet),
        ("turret", "turret.png", enemy(False)),
        ("boss", "boss.png", stripes((70, 20, 30), (140, 30, 50), width=24)),
    ]
    # Buttons of the main menu and the other screens, each with a hover look.
    for tid, label in [
        ("start", "Start"), ("options", "Options"), ("credits", "Credits"), ("profile", "Profile"),
        ("exit", "Exit"), ("back", "Back"), ("yes", "Yes"), ("no", "No"), ("ok", "OK"),
        ("cancel", "Cancel"), ("create", "Create"), ("select", "Select"), ("delete", "Delete"),
        ("add", "Add"), ("next", "Next"), ("previous", "Previous"), ("retry", "Retry"),
        ("replay", "Replay"), ("mainmenu", "Main Menu"),
    ]:
        t.append(("btn_" + tid, "btn_" + tid + ".png", button(label)))
        t.append(("btn_" + tid + "Hover", "btn_" + tid + "Hover.png", button(label, hover=True)))
    # Hover looks of the pause-menu buttons named above.
    for tid, label in [
        ("resume", "Resume"), ("restart", "Restart"), ("howtoplay", "How to Play"), ("pauseoptions", "Options"),
        ("pausecredits", "Credits"), ("quittomenu", "Quit to Menu"), ("exitgame", "Exit Game"),
        ("multiplayer", "Two Players"),
    ]:
        t.append((tid + "Hover", tid + "Hover.png", button(label, hover=True)))
    # Backgrounds of the remaining screens.
    t += [
        ("bgmainmenu", "bgmainmenu.png", screen("ZENDRA")),
        ("bgmainprofile", "bgmainprofile.png", screen("Profiles")),
        ("bgaddname", "bgaddname.png", screen("New Profile", ("Type a name:",))),
        ("bgconfirm", "bgconfirm.png", popup("Delete", "Delete this profile?")),
        ("bgresofailed", "bgresofailed.png", popup("Sorry", "The resolution could not be changed.")),
        ("bgfullscreenfailed", "bgfullscreenfailed.png", popup("Sorry", "Full screen could not be changed.")),
        ("bggamecomplete", "bggamecomplete.png", screen("Game Complete!", ("Every level is done. Well played!",))),
        ("bgtransition", "bgtransition.png", screen(None)),
        ("bgnextlevel", "bgnextlevel.png", screen("Get Ready", ("The next level is waiting.",))),
        ("bgmultiplayer", "bgmultiplayer.png", screen("Two Players", TWO_PLAYER_RULES)),
        ("bgmultiplayerend", "bgmultiplayerend.png", screen("Race Over")),
        ("splash_00", "splash_00.png", loading()),
        ("transparent", "transparent.png", transparent),
        # Menu controls and popups whose words the screens do not carry.
        ("sliderknob", "sliderknob.png", slider_knob),
        ("slidertrack", "slidertrack.png", slider_track),
        ("namefield", "namefield.png", name_field),
        ("bgPauseRestart", "bgPauseRestart.png", popup("Restart", "Restart this level?")),
        ("bgPauseOptions", "bgPauseOptions.png", popup("Options", "", size=(512, 512))),
    ]
    # Tutorial popups of the last levels.
    t += [
        # Also shown in WholeShebang, whose drawn-in bridge is a brown
        # block in the room's edge: words true of both levels.
        ("tutorial_bridge", "tutorial_bridge.png",
         tutorial("Bridges", ("A crate on a pad under a", "spinning block slides its",
                              "bridge out of the brown edge.", "Step on it once it is out."),
                  bridge_icon)),
        # BridgesGalore's room before the exit, all of it seen from its
        # entry row where the picture comes up.
        ("tutorial_bridgeexit", "tutorial_bridgeexit.png",
         tutorial("Exit Bridge", ("A crate on the red switch", "sinks the striped door. The",
                                  "crate behind it, on the pad,", "runs the bridge to the exit.",
                                  "Doors drop carried crates."),
                  bridge_exit_icon)),
        ("tutorial_boss", "tutorial_boss.png",
         tutorial("The Boss", ("Step on the pad by each glass: a", "crate fills the switch behind it.",
                               "Both full: the door opens 5 s.", "Bombs break crates. Towers shoot"),
                  glass_pad_icon)),
        ("tutorial_bosshit", "tutorial_bosshit.png",
         tutorial("Hit the Boss", ("The pad before the door gives a", "crate: press 1. Door up? Walk in",
                                   "till the boss stops you, put it", "down. Four hits win. Stuck? P",
                                   "frees you and the pads."),
                  boss_icon)),
        # The last level: each step of the way, one picture at a time.
        # Each names what the screen shows (the camera turns with Q and E).
        ("tutorial_shebang", "tutorial_shebang.png",
         tutorial("Whole Shebang", ("Everything at once. Throw a", "crate onto the island's switch:",
                                    "the yellow door opens. Every", "crate on the way has a spare"),
                  keys_mouse)),
        ("tutorial_shebangwall", "tutorial_shebangwall.png",
         tutorial("Barrier", ("Carry a crate up to the barrier", "till you stop, press 1 and put",
                              "it down: the barrier blows up.", "The grey platforms behind fall",
                              "if you stop on them"),
                  barrier_icon)),
        ("tutorial_shebangpatrol", "tutorial_shebangpatrol.png",
         tutorial("Patrol", ("Seen and caught: back to this", "checkpoint. Walking into it: the",
                             "Try Again? menu. Go behind it,", "off its row, to the glass room"),
                  sight_cone)),
        ("tutorial_shebangswap", "tutorial_shebangswap.png",
         tutorial("Swap Over", ("Press 2 on a crate and throw", "it over the pit onto the green",
                                "exit's island. Once it lands,", "press T to swap"),
                  key_row("2", "T"))),
    ]
    # Tutorial popups of the first levels: one control or power each.
    t += [
        ("tutorial_move", "tutorial_move.png",
         tutorial("Move", ("W A S D walk the robot", "Q and E turn the camera", "Walk into the green exit"),
                  keys_wasd)),
        ("tutorial_pickup", "tutorial_pickup.png",
         tutorial("Pick Up and Throw", ("Stand beside a crate:", "left click picks up, throws,",
                                        "right click puts it down.", "Crates press switches."), keys_mouse)),
        ("tutorial_explode", "tutorial_explode.png",
         tutorial("Explode Power", ("Carry a crate, press 1, then", "put it down (right click) or",
                                   "throw it: where it lands it", "blows up barriers and crates"),
                  key_row("1"))),
        ("tutorial_teleport", "tutorial_teleport.png",
         tutorial("Teleport Power", ("Carry a crate, press 2, throw", "it over the gap; landed, press T.",
                                     "A pad gives one crate at a time.", "Stuck? P starts the level again"),
                  key_row("2", "T"))),
        ("tutorial_checkpoint", "tutorial_checkpoint.png",
         tutorial("Checkpoint", ("Walk through it: a fall or", "a patrol's catch brings you", "back here. Walk into one: the",
                                 "Try Again? menu. P: back now"),
                  checkpoint_flag)),
        ("tutorial_enemy", "tutorial_enemy.png",
         tutorial("Patrol Robot", ("It sees what lies ahead", "Stay out of its sight", "Slip past behind it"),
                  sight_cone)),
    ]
    # Tutorial popups of the middle levels.
    t += [
        ("tutorial_enemybox", "tutorial_enemybox.png",
         tutorial("Enemy Boxes", ("Two boxes drop into the arena:", "each turns into a guard for",
                                  "eight seconds. Wait here in", "the alcove till both are gone"),
                  enemybox_icon)),
        ("tutorial_chaser", "tutorial_chaser.png",
         tutorial("Chaser", ("Set the crate on the red switch:", "the door opens and the chaser",
                             "comes round the pillar your way.", "Run round the other side, in at",
                             "its door and on to the green exit."),
                  chaser_icon)),
        ("tutorial_conveyor", "tutorial_conveyor.png",
         tutorial("Conveyor Belts", ("Belts carry crates along: catch", "one and throw it where needed.",
                                     "The pad gives one at a time;", "P starts the level over."),
                  conveyor_icon)),
        ("tutorial_twoswitches", "tutorial_twoswitches.png",
         tutorial("Two Switches", ("Both red switches, held at once,", "open the striped door. Each is fed",
                                   "by a belt: throw when the dotted", "line ends (red) on one; the other",
                                   "from the corridor's cyan strip."),
                  conveyor_icon)),
        ("tutorial_beltrow", "tutorial_beltrow.png",
         tutorial("Belt Row", ("On this strip, face the belts over", "the wall. Press Q or E to see the",
                               "dotted line's red end: throw when", "it lies on the belt to a switch."),
                  conveyor_icon)),
        ("tutorial_platforms", "tutorial_platforms.png",
         tutorial("Platforms", ("Jets hold hovering platforms", "Grey ones fall if you stay", "Mind the comets above"),
                  platform_icon)),
        ("tutorial_spawner", "tutorial_spawner.png",
         tutorial("Crate Spawner", ("Step on the pad (cyan ring): a", "crate drops, one at a time. Lost?",
                                   "Step on again. Out of reach? P", "frees the pad. Teleport: 2, T"),
                  spawner_icon)),
    ]
    return t


def bridge_icon(d):
    # A crate on a pad under its spinning light block, the pad lit amber as
    # the level shows it pressed, and the bridge sliding out.
    plank = (150, 115, 70, 255)
    d.rectangle((20, 200, 88, 216), fill=(255, 180, 40, 255), outline=(255, 230, 140, 255), width=2)
    d.rectangle((36, 160, 72, 196), fill=(190, 130, 60, 255), outline=(90, 60, 30, 255), width=3)
    d.polygon([(54, 104), (70, 120), (54, 136), (38, 120)], fill=(255, 190, 60, 90), outline=(255, 240, 180, 255))
    d.rectangle((98, 150, 128, 230), fill=(90, 100, 120, 255))
    d.rectangle((98, 132, 148, 148), fill=plank, outline=(70, 56, 36, 255), width=2)
    d.polygon([(140, 122), (158, 140), (140, 158)], fill=ORANGE + (255,))


def glass_pad_icon(d):
    # A pad, its lit ring as the floor shows it, and the crate it makes
    # behind the glass on the red switch.
    d.rectangle((10, 150, 110, 250), fill=(70, 76, 88, 255), outline=(40, 44, 52, 255), width=6)
    d.ellipse((24, 164, 96, 236), fill=(36, 40, 50, 255), outline=CYAN + (255,), width=10)
    d.polygon([(124, 186), (160, 186), (160, 170), (190, 200), (160, 230), (160, 214), (124, 214)],
              fill=ORANGE + (255,))
    d.rectangle((206, 230, 330, 250), fill=(200, 40, 40, 255), outline=(30, 30, 30, 255), width=3)
    d.rectangle((222, 130, 314, 228), fill=(190, 130, 60, 255), outline=(90, 60, 30, 255), width=5)
    d.line([(222, 130), (314, 228)], fill=(120, 80, 40, 255), width=5)
    d.line([(314, 130), (222, 228)], fill=(120, 80, 40, 255), width=5)
    # The glass before them: a purple pane's frame and glints, the crate seen through.
    d.rectangle((196, 112, 340, 256), outline=(180, 150, 255, 255), width=6)
    for x in (236, 290):
        d.line([(x, 124), (x - 26, 150)], fill=(225, 210, 255, 255), width=5)


def barrier_icon(d):
    # The key, then the crate given the explosion set down against the
    # barrier's red and white stripes: touching it, not a row short.
    keycap(d, 24, 136, "1")
    d.rectangle((90, 140, 134, 184), fill=(220, 120, 40, 255), outline=(90, 50, 20, 255), width=3)
    d.ellipse((101, 151, 123, 173), fill=(25, 25, 25, 255))
    wall = (134, 112, 206, 184)
    d.rectangle(wall, fill=(235, 235, 235, 255))
    for k in range(wall[0] - 72, wall[2], 36):
        band = [(k, wall[1]), (k + 18, wall[1]), (k + 90, wall[3]), (k + 72, wall[3])]
        part = clip_to_box(band, wall)
        if len(part) >= 3:
            d.polygon(part, fill=(210, 40, 40, 255))


def clip_to_box(polygon, box):
    """The part of a convex polygon inside box (x0, y0, x1, y1)."""
    x0, y0, x1, y1 = box
    for axis, limit, keep_below in ((0, x0, False), (0, x1, True), (1, y0, False), (1, y1, True)):
        inside = lambda p: (p[axis] <= limit) if keep_below else (p[axis] >= limit)
        out = []
        for i, p in enumerate(polygon):
            q = polygon[i - 1]
            if inside(p) != inside(q):
                t = (limit - q[axis]) / (p[axis] - q[axis])
                out.append((q[0] + t * (p[0] - q[0]), q[1] + t * (p[1] - q[1])))
            if inside(p):
                out.append(p)
        polygon = out
    return polygon


def bridge_exit_icon(d):
    # A crate on the red switch, the striped door sinking, and the crate set
    # on the pad under its spinning block, the pad lit as pressed.
    box = (190, 130, 60, 255), (90, 60, 30, 255)
    d.rounded_rectangle((16, 196, 64, 212), 4, fill=(210, 40, 40, 255), outline=(30, 30, 30, 255), width=2)
    d.rectangle((22, 158, 58, 194), fill=box[0], outline=box[1], width=3)
    d.rectangle((80, 142, 110, 212), fill=(250, 170, 0, 255), outline=(30, 30, 30, 255), width=2)
    for y in range(160, 212, 16):
        d.polygon([(82, y), (108, y - 12), (108, y - 4), (82, y + 8)], fill=(60, 64, 72, 255))
    d.line([(95, 100), (95, 130)], fill=WHITE + (255,), width=4)
    d.polygon([(85, 126), (105, 126), (95, 138)], fill=WHITE + (255,))
    d.rectangle((124, 200, 172, 212), fill=(255, 180, 40, 255), outline=(255, 230, 140, 255), width=2)
    d.rectangle((130, 162, 166, 198), fill=box[0], outline=box[1], width=3)
    d.polygon([(148, 106), (164, 122), (148, 138), (132, 122)], fill=(255, 190, 60, 90), outline=(255, 240, 180, 255))


def boss_icon(d):
    # The boss behind its raised door, and a crate given the explosion.
    d.rectangle((20, 92, 150, 104), fill=ORANGE + (255,), outline=(30, 30, 40, 255), width=2)
    d.rounded_rectangle((50, 112, 122, 200), 14, fill=(170, 40, 50, 255), outline=(60, 10, 20, 255), width=3)
    d.ellipse((70, 128, 102, 150), fill=(255, 220, 90, 255))
    d.rectangle((66, 206, 106, 246), fill=(190, 130, 60, 255), outline=(90, 60, 30, 255), width=3)
    d.polygon([(86, 212), (92, 222), (102, 224), (94, 230), (96, 240), (86, 234), (76, 240), (78, 230),
               (70, 224), (80, 222)], fill=ORANGE + (255,))


def icon_picture():
    """The robot's head on a rounded panel, drawn large to be scaled down."""
    img = Image.new("RGBA", (256, 256), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    dark = (30, 40, 60, 255)
    d.rounded_rectangle((8, 8, 248, 248), 52, fill=PANEL + (255,), outline=CYAN + (255,), width=12)
    d.line([(128, 78), (128, 44)], fill=(200, 210, 225, 255), width=16)
    d.ellipse((100, 20, 156, 76), fill=ORANGE + (255,))
    d.rounded_rectangle((40, 78, 216, 214), 36, fill=(200, 210, 225, 255), outline=dark, width=8)
    d.ellipse((66, 110, 120, 164), fill=CYAN + (255,), outline=dark, width=8)
    d.ellipse((136, 110, 190, 164), fill=CYAN + (255,), outline=dark, width=8)
    d.rectangle((88, 180, 168, 196), fill=dark)
    return img


def icon_file(images):
    """A Windows icon file: one 32-bit bitmap (BGRA, bottom-up, with its
    1-bit mask) per image, in the order given."""
    blobs = []
    for img in images:
        w, h = img.size
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        px = img.load()
        colour = bytearray()
        stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in reversed(range(h)):
            line = bytearray(stride)
            for x in range(w):
                r, g, b, a = px[x, y]
                colour += bytes((b, g, r, a))
                if a == 0:
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += line
        blobs.append((w, h, header + colour + mask))
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for w, h, blob in blobs:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, _, blob in blobs:
        out += blob
    return out


def write_icon():
    big = icon_picture()
    images = [big.resize((size, size), Image.LANCZOS) for size in ICON_SIZES]
    with open(ICON, "wb") as out:
        out.write(icon_file(images))


def check_size(tid, img):
    w, h = img.size
    for v in (w, h):
        if v & (v - 1):
            sys.exit("texture %s is %dx%d: sizes must be powers of two" % (tid, w, h))


def main():
    entries = textures()
    ids = [e[0] for e in entries]
    if len(set(ids)) != len(ids):
        sys.exit("duplicate texture id")
    written = set()
    for tid, name, draw in entries:
        path = os.path.join(HERE, name)
        if name not in written:
            try:
                img = draw()
            except Unfit as unfit:
                sys.exit("texture %s does not fit its border: %s" % (tid, unfit))
            check_size(tid, img)
            img.save(path, optimize=True)
            written.add(name)
    for stale in os.listdir(HERE):
        if stale.endswith(".png") and stale not in written:
            os.remove(os.path.join(HERE, stale))
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<!-- Generated by data/textures/generate.py: edit the script, not this file. -->",
             "<Textures>"]
    for tid, name, _ in entries:
        lines += ["    <Texture>",
                  "        <TextureId>%s</TextureId>" % tid,
                  "        <Path>data/textures/%s</Path>" % name,
                  "    </Texture>"]
    lines.append("</Textures>")
    with open(CATALOGUE, "w", encoding="utf-8", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    words = ["# Generated by data/textures/generate.py: the words each lettered texture shows."]
    words += [tid + " " + " ".join(draw.words) for tid, _, draw in entries if hasattr(draw, "words")]
    with open(WORDS, "w", encoding="utf-8", newline="\n") as out:
        out.write("\n".join(words) + "\n")
    write_icon()
    print("%d textures and the window icon written" % len(entries))


if __name__ == "__main__":
    main()
