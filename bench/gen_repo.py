#!/usr/bin/env python3
"""Writes a synthetic driver repository for the infsurvey benchmark.

    gen_repo.py OUT_FOLDER COUNT [--seed S] [--shape default|heavy]

OUT_FOLDER receives COUNT package folders named like a driver store's
("fbk4100.inf_amd64_1f2e3d4c5b6a7980"), each holding its INF and a few
companion files. The INFs are made up here: a comment header, [Version]
with a mix of classes (about a third Printer), [Manufacturer] with
decorated values, several models sections, install sections and a big
[Strings] section, CR LF line ends, a few KB each. About 10% are UTF-16LE
with a byte-order mark, some are 8-bit with accented strings. Some folder
names differ in case from their INF, and a few INFs have capitals in their
own name so that the case-insensitive lookup runs. The output depends only
on COUNT, the seed and the shape.

The heavy shape makes a repository whose catalogue is large for its size:
about half the packages are printer INFs, each with 8 to 40 models whose
names and driver texts are long (several hardware and compatible IDs). The
models section of the first decoration follows [Version] and
[Manufacturer] at once, so that all of it lies within the 60 meaningful
lines infsurvey reads. 10,000 packages give about 120,000 drivers.
"""
import argparse
import os
import random
import shutil
import sys
import unicodedata

CLASSES = [
    # (class, class GUID, weight); Printer takes about a third.
    ("Printer", "{4D36E979-E325-11CE-BFC1-08002BE10318}", 33),
    ("Net", "{4D36E972-E325-11CE-BFC1-08002BE10318}", 14),
    ("HIDClass", "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}", 10),
    ("USB", "{36FC9E60-C465-11CF-8056-444553540000}", 9),
    ("MEDIA", "{4D36E96C-E325-11CE-BFC1-08002BE10318}", 8),
    ("Display", "{4D36E968-E325-11CE-BFC1-08002BE10318}", 6),
    ("Ports", "{4D36E978-E325-11CE-BFC1-08002BE10318}", 5),
    ("Image", "{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}", 5),
    ("Bluetooth", "{E0CBF06C-CD8B-4647-BB8A-263B43F0F974}", 4),
    ("System", "{4D36E97D-E325-11CE-BFC1-08002BE10318}", 3),
    ("SCSIAdapter", "{4D36E97B-E325-11CE-BFC1-08002BE10318}", 2),
    ("printer", "{4D36E979-E325-11CE-BFC1-08002BE10318}", 1),
]

MAKERS = [
    # (token, display name; some with accents or XML-reserved characters)
    ("Fabrikam", "Fabrikam, Inc."),
    ("Contoso", "Contoso Ltd."),
    ("Northwind", "Northwind Imaging"),
    ("Litware", "Litware Office Systems"),
    ("Adatum", "A. Datum Corporation"),
    ("Proseware", "Proseware & Sons"),
    ("Tailspin", "Tailspin Peripherals"),
    ("Woodgrove", "Woodgrove Devices <EU>"),
    ("Kestrel", "Kestrel B\u00fcrotechnik GmbH"),
    ("Orrin", "Soci\u00e9t\u00e9 Orrin d'Impression"),
    ("Vantor", "Vantor Electronics"),
    ("Halden", "Halden Labs"),
]

PRINTER_WORDS = ["LaserPro", "InkJet", "OfficeJet", "ColorPage", "Mono",
                 "WorkCentre", "PhotoStudio", "LabelWriter", "DeskLine",
                 "Wide Format", "MFP", "Compact"]
PRINTER_TAILS = ["PCL6", "PS", "XPS", "GDI", "Class Driver", "PCL5e", ""]
DEVICE_WORDS = {
    "Net": ["Gigabit Ethernet Adapter", "Wireless LAN Card", "2.5GbE Controller",
            "USB Ethernet Adapter", "Wi-Fi 6 Adapter"],
    "HIDClass": ["USB Keyboard", "Optical Mouse", "Touch Pad", "Game Controller",
                 "Pen Digitizer"],
    "USB": ["USB 3.0 Hub", "xHCI Host Controller", "USB Composite Device",
            "Card Reader"],
    "MEDIA": ["High Definition Audio", "USB Headset", "Webcam Microphone",
              "Sound Blaster"],
    "Display": ["Graphics Adapter", "Display Controller", "Mobile GPU"],
    "Ports": ["USB Serial Port", "Communications Port", "ECP Printer Port"],
    "Image": ["Flatbed Scanner", "Document Camera", "Sheet-fed Scanner"],
    "Bluetooth": ["Bluetooth Radio", "Bluetooth LE Adapter"],
    "System": ["SMBus Controller", "Thermal Zone", "Platform Controller"],
    "SCSIAdapter": ["SAS RAID Controller", "NVMe Controller"],
}
BUS_PREFIX = {
    "Net": "PCI\\VEN_{v:04X}&DEV_{d:04X}",
    "HIDClass": "HID\\VID_{v:04X}&PID_{d:04X}",
    "USB": "USB\\VID_{v:04X}&PID_{d:04X}",
    "MEDIA": "HDAUDIO\\FUNC_01&VEN_{v:04X}&DEV_{d:04X}",
    "Display": "PCI\\VEN_{v:04X}&DEV_{d:04X}&SUBSYS_{d:04X}{v:04X}",
    "Ports": "USB\\VID_{v:04X}&PID_{d:04X}&MI_00",
    "Image": "USB\\VID_{v:04X}&PID_{d:04X}",
    "Bluetooth": "USB\\VID_{v:04X}&PID_{d:04X}",
    "System": "ACPI\\VEN_{v:04X}&DEV_{d:04X}",
    "SCSIAdapter": "PCI\\VEN_{v:04X}&DEV_{d:04X}&CC_0104",
}
DECORATIONS = [
    ["NTx86", "NTamd64"], ["NTamd64"], ["NTamd64", "NTx86"],
    ["NTx86", "NTamd64", "NTarm64"], ["NTamd64.6.0", "NTx86.6.0"],
    ["NTamd64.10.0...17763"],
]
NAME_STEMS = ["prn", "fbk", "ctx", "nwi", "lit", "adm", "prw", "tsp", "wgd",
              "net", "hid", "usb", "aud", "vid", "ser", "scn", "btw", "sys"]


def WeightedClass(rng):
    total = sum(w for _, _, w in CLASSES)
    pick = rng.randrange(total)
    for name, guid, weight in CLASSES:
        if pick < weight:
            return name, guid
        pick -= weight
    raise AssertionError


def CommentHeader(rng, base, maker):
    lines = [";", f"; {base}.inf", ";",
             f"; Installation information for {maker[1]} devices",
             f"; Copyright (c) {rng.randrange(1998, 2024)} {maker[1]}"]
    for _ in range(rng.randrange(0, 12)):
        lines.append("; " + rng.choice([
            "All rights reserved.", "Do not edit: generated by the build.",
            "This file supports the following operating systems:",
            "  Windows 7, Windows 8.1, Windows 10, Windows 11",
            "Revision history kept in the source archive.",
            "See the release notes for supported models.", ""]))
    lines.append("")
    return lines


def PrinterModels(rng, maker, count):
    models = []
    for k in range(count):
        name = f"{maker[0]} {rng.choice(PRINTER_WORDS)} {rng.randrange(100, 9999)}"
        tail = rng.choice(PRINTER_TAILS)
        if tail:
            name += " " + tail
        hwid = (f"USBPRINT\\{maker[0]}{name.split()[1][:6]}{rng.randrange(16**4):04X}"
                if rng.random() < 0.7 else
                f"WSDPRINT\\{maker[0]}{rng.randrange(16**6):06X}")
        models.append((f"Model{k}", name, f"MDL{k:03d}.GPD", hwid))
    return models


def DeviceModels(rng, cls, maker, count):
    vendor = rng.randrange(0x1000, 0xFFFF)
    models = []
    for k in range(count):
        name = f"{maker[0]} {rng.choice(DEVICE_WORDS[cls])}"
        if rng.random() < 0.6:
            name += f" {rng.randrange(1, 999)}"
        hwid = BUS_PREFIX[cls].format(v=vendor, d=rng.randrange(0x10000))
        models.append((f"Dev{k}", name, f"Install{k % 3}", hwid))
    return models


def ModelLine(rng, token_form, model):
    token, name, install, hwid = model
    left = f"%{token}%" if token_form else f'"{name}"'
    last = hwid.rsplit("\\", 1)[-1]
    extra = f", LPTENUM\\{last}" if rng.random() < 0.3 else ""
    return f"{left} = {install}, {hwid}{extra}"


def MakeInf(rng, base, is_printer, cls, guid):
    maker = rng.choice(MAKERS)
    mfg = maker[0]
    lines = CommentHeader(rng, base, maker)
    lines += ["[Version]", 'Signature="$Windows NT$"']
    # A class name in other case, and blanks around "=", both occur.
    lines.append(rng.choice([f"Class={cls}", f"Class = {cls}",
                             f"class={cls}"]))
    lines += [f"ClassGuid={guid}", f"Provider=%{mfg}%",
              f"DriverVer={rng.randrange(1, 13):02d}/{rng.randrange(1, 29):02d}/"
              f"{rng.randrange(2006, 2024)},{rng.randrange(1, 11)}.{rng.randrange(0, 99)}"
              f".{rng.randrange(0, 30000)}.{rng.randrange(0, 999)}",
              f"CatalogFile={base}.cat"]
    if rng.random() < 0.5:
        lines.append("PnpLockdown=1")
    lines.append("")
    decorations = rng.choice(DECORATIONS)
    blank = ", " if rng.random() < 0.4 else ","
    lines.append("[Manufacturer]")
    if rng.random() < 0.03:
        lines.append(f"%{mfg}% = {mfg}")  # undecorated: no models section named
    else:
        lines.append(f"%{mfg}% = {mfg}{blank}{blank.join(decorations)}")
    if rng.random() < 0.15:
        other = rng.choice(MAKERS)[0]
        lines.append(f"%{other}% = {other},{decorations[0]}")
    lines.append("")
    count = rng.randrange(2, 14)
    models = (PrinterModels(rng, maker, count) if is_printer
              else DeviceModels(rng, cls, maker, count))
    token_form = rng.random() < 0.75
    for decoration in decorations:
        lines.append(f"[{mfg}.{decoration}]")
        lines += [ModelLine(rng, token_form, m) for m in models]
        lines.append("")
    if is_printer:
        lines += ["[ControlFlags]", "ExcludeFromSelect = *", ""]
        for k, model in enumerate(models[:4]):
            lines += [f"[{model[2]}]", f"CopyFiles={base.upper()}_FILES,COMMON_FILES",
                      f"DataFile={model[2]}", "DataSection=UNIDRV_DATA",
                      "Include=ntprint.inf", "Needs=UNIDRV.OEM", ""]
    else:
        for k in range(3):
            lines += [f"[Install{k}.NT]", f"CopyFiles={base}.CopyFiles",
                      f"AddReg={base}.AddReg", "", f"[Install{k}.NT.Services]",
                      f"AddService={base},0x00000002,{base}_Service", ""]
    lines += ["[DestinationDirs]", "DefaultDestDir=12" if not is_printer
              else "DefaultDestDir=66000", "",
              "[SourceDisksNames]", f'1 = %DiskName%,,,""', "",
              "[SourceDisksFiles]", f"{base}.sys = 1", f"{base}.dll = 1", ""]
    lines += ["[Strings]", f'{mfg} = "{maker[1]}"', 'DiskName = "Installation disk"']
    for token, name, _, _ in models:
        lines.append(f'{token} = "{name}"')
    # The bulk of a real INF: localised and service strings nobody surveys.
    for k in range(rng.randrange(30, 110)):
        lines.append(f'Str{k:03d} = "' + rng.choice([
            "Dienst f\u00fcr die Druckerwarteschlange",
            "Service de mise en file d'attente",
            "Configuration of the device's power settings",
            "Update the firmware before installing this driver",
            "Enables the advanced features of the device",
            "Pilote de p\u00e9riph\u00e9rique g\u00e9n\u00e9rique"])
                     + f' {rng.randrange(1000)}"')
    return lines


SERIES = ["Enterprise", "Professional", "Workgroup", "Home Office",
          "Production", "Graphic Arts", "Compact", "Universal"]
LANGUAGES = ["PCL6", "PCL5e", "PS3", "XPS", "PDF", "GDI", "ESC/P-R"]
COMPATIBLE = [
    "LPTENUM\\{m}{w}{h}", "WSDPRINT\\{m}{w}{n}", "DOT4PRT\\{m}{w}{h}",
    "USB\\VID_{v:04X}&PID_{p:04X}&REV_{r:04X}", "USB\\VID_{v:04X}&PID_{p:04X}",
    "1284_CID_{M}_{L}", "IPP\\{m}_{w}_{n}_Series", "{m}{w}{n}_{L}",
]


def HeavyModels(rng, maker, count):
    """count printer models with long names and long driver texts."""
    vendor = rng.randrange(0x0400, 0x2000)
    models = []
    for k in range(count):
        word = rng.choice(PRINTER_WORDS)
        number = rng.randrange(100, 99999)
        language = rng.choice(LANGUAGES)
        who = maker[1] if rng.random() < 0.1 else maker[0]
        name = f"{who} {word} {number} {language}"
        if rng.random() < 0.5:
            name += f" ({rng.choice(SERIES)} Series, {rng.choice([300, 600, 1200])} dpi)"
        fields = dict(m=maker[0], M=maker[0].upper(), w=word.replace(" ", ""),
                      n=number, h=f"{rng.randrange(16**4):04X}",
                      L=language.replace("/", "_"), v=vendor,
                      p=rng.randrange(0x10000), r=rng.randrange(0x300))
        ids = [f"USBPRINT\\{maker[0]}{fields['w']}{number}{fields['h']}"]
        ids += [form.format(**fields)
                for form in rng.sample(COMPATIBLE, rng.randrange(0, 3))]
        install = f"{maker[0][:3].upper()}{number}.GPD"
        models.append((f"Model{k}", name, install, ", ".join(ids)))
    return models


def MakeHeavyPrinterInf(rng, base, cls, guid):
    """A printer INF whose models come first, within the 60 lines read."""
    maker = rng.choice(MAKERS)
    mfg = maker[0]
    lines = CommentHeader(rng, base, maker)
    lines += ["[Version]", 'Signature="$Windows NT$"',
              rng.choice([f"Class={cls}", f"Class = {cls}", f"class={cls}"]),
              f"ClassGuid={guid}", f"Provider=%{mfg}%",
              f"DriverVer={rng.randrange(1, 13):02d}/{rng.randrange(1, 29):02d}/"
              f"{rng.randrange(2006, 2024)},{rng.randrange(1, 11)}.{rng.randrange(0, 99)}"
              f".{rng.randrange(0, 30000)}.{rng.randrange(0, 999)}",
              f"CatalogFile={base}.cat", ""]
    decorations = rng.choice(DECORATIONS)
    roll = rng.random()
    lines.append("[Manufacturer]")
    if roll < 0.02:
        lines.append(f"%{mfg}% = {mfg}")  # undecorated: no models section named
    elif roll < 0.04:
        lines.append(f"%{mfg}% = {mfg},NTia64")  # names a section that is missing
    else:
        lines.append(f"%{mfg}% = {mfg},{','.join(decorations)}")
    if rng.random() < 0.15:
        other = rng.choice(MAKERS)[0]
        lines.append(f"%{other}% = {other},{decorations[0]}")
    lines.append("")
    models = HeavyModels(rng, maker, rng.randrange(8, 41))
    token_form = rng.random() < 0.3
    for decoration in decorations:
        lines.append(f"[{mfg}.{decoration}]")
        lines += [(f"%{token}%" if token_form else f'"{name}"') + f" = {install}, {ids}"
                  for token, name, install, ids in models]
        lines.append("")
    lines += ["[ControlFlags]", "ExcludeFromSelect = *", ""]
    for model in models[:4]:
        lines += [f"[{model[2]}]", f"CopyFiles={base.upper()}_FILES,COMMON_FILES",
                  f"DataFile={model[2]}", "DataSection=UNIDRV_DATA",
                  "Include=ntprint.inf", "Needs=UNIDRV.OEM", ""]
    lines += ["[DestinationDirs]", "DefaultDestDir=66000", "",
              "[SourceDisksNames]", '1 = %DiskName%,,,""', "",
              "[Strings]", f'{mfg} = "{maker[1]}"', 'DiskName = "Installation disk"']
    for token, name, _, _ in models:
        lines.append(f'{token} = "{name}"')
    return lines


def HeavyClass(rng):
    """Half the packages are printers, the rest as in the default shape."""
    if rng.random() < 0.52:
        return CLASSES[0][0] if rng.random() < 0.97 else "printer", CLASSES[0][1]
    while True:
        name, guid = WeightedClass(rng)
        if name.lower() != "printer":
            return name, guid


def Encode(lines, form):
    text = "\r\n".join(lines) + "\r\n"
    if form == "utf16":
        return "\ufeff".encode("utf-16-le") + text.encode("utf-16-le")
    if form == "cp1252":
        return text.encode("cp1252")
    # Plain ASCII files spell the accented strings without accents.
    return unicodedata.normalize("NFKD", text).encode("ascii", "ignore")


def Package(rng, index, shape):
    heavy = shape == "heavy"
    cls, guid = HeavyClass(rng) if heavy else WeightedClass(rng)
    is_printer = cls.lower() == "printer"
    stem = "prn" if is_printer and rng.random() < 0.5 else rng.choice(NAME_STEMS)
    base = f"{stem}{rng.choice('abcdefghxyz')}{rng.randrange(1000):03d}"
    arch = rng.choice(["amd64", "amd64", "x86", "arm64"])
    neutral = "_neutral" if rng.random() < 0.4 else ""
    folder = f"{base}.inf_{arch}{neutral}_{rng.getrandbits(64):016x}"
    inf_name = f"{base}.inf"
    case = rng.random()
    if case < 0.05:
        # The folder's own name in capitals, its INF in lower case.
        folder = base.upper() + ".INF" + folder[len(base) + 4:]
    elif case < 0.08:
        # The INF's own name has capitals: found only by listing the folder.
        inf_name = rng.choice([inf_name.upper(), base.capitalize() + ".inf",
                               base + ".INF"])
    roll = rng.random()
    form = "utf16" if roll < 0.10 else "cp1252" if roll < 0.35 else "ascii"
    if heavy and is_printer:
        lines = MakeHeavyPrinterInf(rng, base, cls, guid)
    else:
        lines = MakeInf(rng, base, is_printer, cls, guid)
    data = Encode(lines, form)
    if rng.random() < 0.01:
        data += b"\x1a"
    companions = [(f"{base}.cat", bytes(rng.getrandbits(8) for _ in range(96)))]
    if rng.random() < 0.7:
        companions.append((f"{base}.sys" if not is_printer else f"{base}.gpd",
                           b"MZ" + bytes(30)))
    if rng.random() < 0.3:
        companions.append((f"{base}.dll", b"MZ" + bytes(30)))
    if rng.random() < 0.002:
        inf_name = None  # a damaged package without its INF
    return folder, inf_name, data, companions


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("count", type=int)
    parser.add_argument("--seed", type=int, default=20110305)
    parser.add_argument("--shape", choices=["default", "heavy"], default="default")
    args = parser.parse_args()
    seed = f"{args.seed}:{args.count}"
    # The default shape keeps the seed string it always had, so its
    # repositories stay the same byte for byte.
    rng = random.Random(seed if args.shape == "default" else f"{seed}:{args.shape}")
    if os.path.exists(args.out):
        shutil.rmtree(args.out)
    partial = args.out + ".partial"
    if os.path.exists(partial):
        shutil.rmtree(partial)
    os.makedirs(partial)
    made = set()
    for index in range(args.count):
        folder, inf_name, data, companions = Package(rng, index, args.shape)
        while folder.lower() in made:
            folder += "0"
        made.add(folder.lower())
        path = os.path.join(partial, folder)
        os.mkdir(path)
        if inf_name is not None:
            with open(os.path.join(path, inf_name), "wb") as f:
                f.write(data)
        for name, body in companions:
            with open(os.path.join(path, name), "wb") as f:
                f.write(body)
    os.rename(partial, args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
