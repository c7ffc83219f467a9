#!/usr/bin/env python3
"""Writes the winget manifest of the MSI and the Scoop manifest of the portable zip, each with the SHA-256 of the
file it describes: OUT/Quarnwick.Marrowgate.yaml and OUT/marrowgate.json."""
import argparse, hashlib, json, os

PUBLISHER = "Quarnwick Software"
HOMEPAGE = "https://quarnwick.example/marrowgate"
DESCRIPTION = "Locks the desktop until the password is typed"
LICENSE = "Proprietary"


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as data:
        for block in iter(lambda: data.read(1 << 16), b""):
            digest.update(block)
    return digest.hexdigest().upper()


def winget(version, product_code, msi, url):
    # A singleton manifest: one file for a package with one installer.
    return "\n".join([
        "# yaml-language-server: $schema=https://aka.ms/winget-manifest.singleton.1.6.0.schema.json",
        "PackageIdentifier: Quarnwick.Marrowgate",
        f"PackageVersion: {version}",
        "PackageLocale: en-US",
        f"Publisher: {PUBLISHER}",
        "PackageName: Marrowgate",
        f"PackageUrl: {HOMEPAGE}",
        f"License: {LICENSE}",
        f"ShortDescription: {DESCRIPTION}",
        "Installers:",
        "  - Architecture: x64",
        "    InstallerType: msi",
        "    Scope: machine",
        f"    InstallerUrl: {url}/{os.path.basename(msi)}",
        f"    InstallerSha256: {sha256(msi)}",
        f"    ProductCode: '{product_code}'",
        "ManifestType: singleton",
        "ManifestVersion: 1.6.0",
        ""])


def scoop(version, zip_path, url):
    return json.dumps({
        "version": version,
        "description": DESCRIPTION,
        "homepage": HOMEPAGE,
        "license": LICENSE,
        "architecture": {"64bit": {"url": f"{url}/{os.path.basename(zip_path)}", "hash": sha256(zip_path).lower()}},
        "bin": "marrowgate.exe",
        "shortcuts": [["marrowgate.exe", "Marrowgate"]],
    }, indent=4) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("version", "product-code", "msi", "zip", "url", "out"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    url = args.url.rstrip("/")
    with open(os.path.join(args.out, "Quarnwick.Marrowgate.yaml"), "w", encoding="utf-8", newline="\n") as out:
        out.write(winget(args.version, args.product_code, args.msi, url))
    with open(os.path.join(args.out, "marrowgate.json"), "w", encoding="utf-8", newline="\n") as out:
        out.write(scoop(args.version, args.zip, url))


if __name__ == "__main__":
    main()
