"""The winget and Scoop manifests of a release, made from its zips and checked offline before any is written.

render() turns a release (its version, homepage, description and asset folder) and its zips into the files of
both manifests, by their paths under dist/: winget's folder, which goes to winget-pkgs as a pull request, and
the Scoop file for the project's bucket. check() reads them back the way the package managers do and refuses
what those would refuse: what the schemas kept in schemas/ beside this file say, and what no schema can, such
as a hash that is not the zip's or a version that differs from one file to the next."""
import codecs
import hashlib
import json
import os
import re
import zipfile

import jsonschema
import yaml

IDENTIFIER = "Zentrilo.Zentrilo"
NAME = "Zentrilo"
PUBLISHER = "The Zentrilo authors"
LICENSE = "MIT"
EXE = "zentrilo.exe"
COMMAND = "zentrilo"
# The newest ManifestVersion that winget-pkgs takes; winget-cli has newer ones that it refuses.
MANIFEST_VERSION = "1.12.0"
DEFAULT_LOCALE = "en-US"
MINIMUM_OS_VERSION = "6.2.9200.0"  # Windows 8, the oldest the program is built for
TAGS = ["display", "dpi", "scaling", "accessibility"]
RELEASE_NOTES = "The new display scale takes effect after signing out and back in."
# The program speaks Simplified Chinese, so its own users find it in their words too.
LOCALES = {"zh-CN": {
    "ShortDescription": "一键为当前用户把 Windows 的显示缩放设为 100%、125% 或 150%。",
    "Tags": ["显示", "dpi", "缩放", "无障碍"],
    "ReleaseNotes": "新的显示缩放在注销并重新登录后生效。"}}
WINGET_ARCHITECTURES = {"x86_64": "x64", "i686": "x86"}
SCOOP_ARCHITECTURES = {"x86_64": "64bit", "i686": "32bit"}
SCOOP_FILE = "scoop/zentrilo.json"
SCOOP_INDENT = 4
# Scoop's own name for the version in an autoupdate URL; ZEN_RELEASE_URL names it the same way.
VERSION_FIELD = "$version"
SCHEMAS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "schemas")
WINGET_SCHEMAS = {kind: f"manifest.{kind}.{MANIFEST_VERSION}.json"
                  for kind in ("version", "defaultLocale", "locale", "installer")}
SCOOP_SCHEMA = "scoop.schema.json"
SUMS_LINE = re.compile(r"^([0-9a-fA-F]{64}) [ *](.+)$")


class ManifestError(Exception):
    """A manifest that a package manager would refuse; the message names the file, the field and why."""


def release_settings(version, homepage, description):
    """The release as the manifests describe it. ZEN_HOMEPAGE overrides the homepage and ZEN_RELEASE_URL the
    folder of its assets (a fork's or a mirror's), which names the version as $version, each release having
    its own folder; by default they are the homepage's release downloads."""
    homepage = (os.environ.get("ZEN_HOMEPAGE") or homepage).rstrip("/")
    assets = (os.environ.get("ZEN_RELEASE_URL") or f"{homepage}/releases/download/v{VERSION_FIELD}").rstrip("/")
    if VERSION_FIELD not in assets:
        raise ManifestError(f"ZEN_RELEASE_URL: {assets} does not name the version as {VERSION_FIELD}, so "
                            "the Scoop manifest could not find the next release")
    return {"version": version, "homepage": homepage, "description": description, "assets": assets}


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def winget_folder(identifier, version):
    """Where winget-pkgs keeps a version's manifests: under the identifier's first letter, lower case, then
    each of its parts as a folder, in its own case."""
    return "/".join(["winget", "manifests", identifier[0].lower(), *identifier.split("."), version])


def winget_file(kind, document):
    """A winget manifest's text: the schema for editors to find, then the fields in the order given."""
    with open(os.path.join(SCHEMAS, WINGET_SCHEMAS[kind]), encoding="utf-8") as f:
        schema = json.load(f)["$id"]
    document = {**document, "ManifestType": kind, "ManifestVersion": MANIFEST_VERSION}
    # Quoted wherever a YAML reader would otherwise take a value for a number, a date or a truth value.
    text = yaml.safe_dump(document, sort_keys=False, allow_unicode=True, width=1 << 16)
    return f"# yaml-language-server: $schema={schema}\n{text}".encode("utf-8")


def render(release, zips):
    """The manifests' files for the zips (their paths, by architecture), as {path under dist/: bytes}."""
    version, homepage = release["version"], release["homepage"]
    names = {arch: os.path.basename(path) for arch, path in zips.items()}
    hashes = {arch: sha256(path) for arch, path in zips.items()}
    urls = {arch: f"{release['assets'].replace(VERSION_FIELD, version)}/{name}" for arch, name in names.items()}
    # The next release's, for Scoop to update itself.
    templates = {arch: f"{release['assets']}/{name.replace(version, VERSION_FIELD)}"
                 for arch, name in names.items()}
    same = {"PackageIdentifier": IDENTIFIER, "PackageVersion": version}
    winget = {
        "version": (f"{IDENTIFIER}.yaml", {**same, "DefaultLocale": DEFAULT_LOCALE}),
        "defaultLocale": (f"{IDENTIFIER}.locale.{DEFAULT_LOCALE}.yaml", {
            **same, "PackageLocale": DEFAULT_LOCALE, "Publisher": PUBLISHER, "PublisherUrl": homepage,
            "PackageName": NAME, "PackageUrl": homepage, "License": LICENSE,
            "LicenseUrl": f"{homepage}/blob/v{version}/LICENSE", "ShortDescription": release["description"],
            "Moniker": COMMAND, "Tags": TAGS, "ReleaseNotes": RELEASE_NOTES}),
        "installer": (f"{IDENTIFIER}.installer.yaml", {
            **same, "MinimumOSVersion": MINIMUM_OS_VERSION, "InstallerType": "zip",
            "NestedInstallerType": "portable",
            "NestedInstallerFiles": [{"RelativeFilePath": EXE, "PortableCommandAlias": COMMAND}],
            "Installers": [{"Architecture": WINGET_ARCHITECTURES[arch], "InstallerUrl": urls[arch],
                            "InstallerSha256": hashes[arch].upper()} for arch in zips]}),
    }
    folder = winget_folder(IDENTIFIER, version)
    files = {f"{folder}/{name}": winget_file(kind, document) for kind, (name, document) in winget.items()}
    for locale, words in LOCALES.items():
        files[f"{folder}/{IDENTIFIER}.locale.{locale}.yaml"] = winget_file("locale", {
            **same, "PackageLocale": locale, **words})
    scoop = {
        "version": version,
        "description": release["description"],
        "homepage": homepage,
        "license": LICENSE,
        "architecture": {SCOOP_ARCHITECTURES[arch]: {"url": urls[arch], "hash": hashes[arch]} for arch in zips},
        "bin": EXE,
        # A program with a window wants its Start-menu entry.
        "shortcuts": [[EXE, NAME]],
        "checkver": "github",
        "autoupdate": {
            "architecture": {SCOOP_ARCHITECTURES[arch]: {"url": template} for arch, template in templates.items()},
            # Each release's SHA256SUMS, beside its zips, has a line per zip.
            "hash": {"url": "$baseurl/SHA256SUMS", "regex": "$sha256\\s+$basename"}},
    }
    text = json.dumps(scoop, indent=SCOOP_INDENT, ensure_ascii=False) + "\n"
    files[SCOOP_FILE] = text.replace("\n", "\r\n").encode("utf-8")
    return files


def closed(schema):
    """The schema with every object that lists its fields refusing others. winget's schemas leave them open,
    but a field they do not name is a misspelling or one of another ManifestVersion, which is refused here as
    Scoop's schema refuses it."""
    if isinstance(schema, dict):
        schema = {key: closed(value) for key, value in schema.items()}
        if "properties" in schema and "additionalProperties" not in schema:
            schema["additionalProperties"] = False
    elif isinstance(schema, list):
        schema = [closed(value) for value in schema]
    return schema


def schema_faults(path, document, name):
    with open(os.path.join(SCHEMAS, name), encoding="utf-8") as f:
        schema = closed(json.load(f))
    validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
    faults = []
    for error in sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.absolute_path))):
        field = "".join(f"[{p}]" if isinstance(p, int) else f".{p}" for p in error.absolute_path).lstrip(".")
        faults.append(f"{path}: {field or 'the file'}: {error.message}")
    return faults


def archive_faults(path, field, entry, keys, folder, sums, contents):
    """What is wrong with the entry (at field) for one zip, whose URL and hash are under keys: its hash against
    the zip beside the manifests and against its SHA256SUMS line, and the files expected at the zip's root."""
    url_key, hash_key = keys
    url, stated = entry.get(url_key, ""), entry.get(hash_key, "")
    name = url.rsplit("/", 1)[-1]
    zip_path = os.path.join(folder, name)
    if not os.path.isfile(zip_path):
        return [f"{path}: {field}.{url_key}: {name} is not among the release's files"]
    faults = []
    actual = sha256(zip_path)
    if stated.lower() != actual:
        faults.append(f"{path}: {field}.{hash_key}: {stated} is not the hash of {name}, {actual}")
    if sums.get(name, "").lower() != actual:
        faults.append(f"{path}: {field}.{hash_key}: SHA256SUMS says {sums.get(name, 'nothing')} for {name}, "
                      f"whose hash is {actual}")
    try:
        with zipfile.ZipFile(zip_path) as z:
            entries = set(z.namelist())
    except zipfile.BadZipFile:
        return faults + [f"{path}: {field}.{url_key}: {name} is not a zip"]
    return faults + [f"{path}: {field}: {name} has no {item} at its root"
                     for item in contents if item not in entries]


def scoop_form_faults(path, data):
    """The form a bucket's CI wants: UTF-8 without a byte-order mark, CRLF line ends, indents of four spaces,
    no blanks at a line's end, and one line end at the end of the file."""
    if data.startswith(codecs.BOM_UTF8):
        return [f"{path}: begins with a byte-order mark"]
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        return [f"{path}: is not UTF-8 ({e})"]
    if not text.endswith("\r\n") or text.endswith("\r\n\r\n"):
        return [f"{path}: does not end with exactly one line end"]
    faults = []
    for number, line in enumerate(text[:-2].split("\r\n"), 1):
        indent = len(line) - len(line.lstrip())
        if "\r" in line or "\n" in line:
            faults.append(f"{path}: line {number}: a line end that is not CRLF")
        elif line != line.rstrip():
            faults.append(f"{path}: line {number}: blanks at its end")
        elif line[:indent] != " " * indent or indent % SCOOP_INDENT:
            faults.append(f"{path}: line {number}: not indented by multiples of {SCOOP_INDENT} spaces")
    return faults


def winget_faults(documents, folder, sums):
    """What winget-pkgs would refuse that its schemas cannot say, given the winget files read: {path: document}."""
    by_kind = {}
    for path, document in documents.items():
        by_kind.setdefault(document.get("ManifestType"), []).append((path, document))
    faults = [f"{path}: ManifestVersion: {document.get('ManifestVersion')} is not {MANIFEST_VERSION}"
              for path, document in documents.items() if document.get("ManifestVersion") != MANIFEST_VERSION]
    faults += [f"winget: {len(by_kind.get(kind, []))} manifests of ManifestType {kind}, not one"
               for kind in ("version", "defaultLocale", "installer") if len(by_kind.get(kind, [])) != 1]
    if faults:
        return faults
    (versions_path, versions), = by_kind["version"]
    identifier, number = versions.get("PackageIdentifier"), versions.get("PackageVersion")
    folder_name = winget_folder(identifier, number)
    for path, document in documents.items():
        for field, value in (("PackageIdentifier", identifier), ("PackageVersion", number)):
            if document.get(field) != value:
                faults.append(f"{path}: {field}: {document.get(field)} is not {value}, as in the version manifest")
        kind = document.get("ManifestType")
        name = {"version": f"{identifier}.yaml", "installer": f"{identifier}.installer.yaml"}.get(
            kind, f"{identifier}.locale.{document.get('PackageLocale')}.yaml")
        if path != f"{folder_name}/{name}":
            faults.append(f"{path}: the path is not {folder_name}/{name}")
    (_, default), = by_kind["defaultLocale"]
    if versions.get("DefaultLocale") != default.get("PackageLocale"):
        faults.append(f"{versions_path}: DefaultLocale: {versions.get('DefaultLocale')} is not the defaultLocale "
                      f"manifest's {default.get('PackageLocale')}")
    (path, installer), = by_kind["installer"]
    for i, entry in enumerate(installer.get("Installers", [])):
        field = f"Installers[{i}]"
        if not (entry.get("InstallerType") or installer.get("InstallerType")):
            faults.append(f"{path}: {field}: no InstallerType, here or for all installers")
        nested = entry.get("NestedInstallerFiles") or installer.get("NestedInstallerFiles") or []
        faults += archive_faults(path, field, entry, ("InstallerUrl", "InstallerSha256"), folder, sums,
                                 [item.get("RelativeFilePath") for item in nested])
    return faults


def scoop_faults(path, document, version, folder, sums):
    """What a bucket would refuse in the Scoop file that its schema cannot say."""
    faults = [] if document.get("version") == version else [
        f"{path}: version: {document.get('version')} is not {version}, as in the winget manifests"]
    expected = [document.get("bin")] + [shortcut[0] for shortcut in document.get("shortcuts", [])]
    for arch, entry in document.get("architecture", {}).items():
        faults += archive_faults(path, f"architecture.{arch}", entry, ("url", "hash"), folder, sums, expected)
    return faults


def check(files, folder, sums):
    """Raises ManifestError, naming every fault, unless the package managers would take render's files, given
    the folder that holds the zips they name and the text of the SHA256SUMS that ships with them. YAML is read
    as winget reads it, every value a string until its schema says otherwise."""
    listed = {m.group(2): m.group(1) for line in sums.splitlines() if (m := SUMS_LINE.match(line))}
    faults, winget, scoop = [], {}, None
    for path, data in sorted(files.items()):
        try:
            document = (json.loads(data.decode("utf-8-sig")) if path.endswith(".json")
                        else yaml.load(data.decode("utf-8"), Loader=yaml.BaseLoader))
        except (ValueError, yaml.YAMLError) as e:
            faults.append(f"{path}: cannot be read: {e}")
            continue
        if not isinstance(document, dict):
            faults.append(f"{path}: holds no fields")
        elif path == SCOOP_FILE:
            scoop = document
            faults += scoop_form_faults(path, data) + schema_faults(path, document, SCOOP_SCHEMA)
        elif document.get("ManifestType") in WINGET_SCHEMAS:
            winget[path] = document
            faults += schema_faults(path, document, WINGET_SCHEMAS[document["ManifestType"]])
        else:
            faults.append(f"{path}: ManifestType: {document.get('ManifestType')} is none of winget's")
    # The checks across files read fields that the schemas have checked.
    if not faults:
        faults += winget_faults(winget, folder, listed)
        if scoop is None:
            faults.append(f"{SCOOP_FILE}: missing")
        else:
            version = next((d["PackageVersion"] for d in winget.values() if d["ManifestType"] == "version"), None)
            faults += scoop_faults(SCOOP_FILE, scoop, version, folder, listed)
    if faults:
        raise ManifestError("\n".join(faults))


def write(files, out):
    """Writes the files (render's) under out."""
    for path, data in files.items():
        target = os.path.join(out, *path.split("/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
