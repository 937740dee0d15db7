// The settings that the package and the page are checked on against the
// command: each with the checksum, the options as the package takes them,
// and the command's arguments for the same picture, written out by hand.
const md5 = "469369a0d4125559535c4c5062a3c303";
const sha1 = "be3d3dee8eb4d4b87ab9fdd2b0d6a04b6fd7ac1b";
const sha256 = "2b3a8fd68a6c6bd8b4f7df7c30c9185c3ed1c0b0e1b3c30a1cf6ef1bda3ce6b7";
const sha512 =
  "8fa1bd6e4f4cd6d4fa2e6e5a0c4b7bd6cf0a3c7d15a1e4e62d0b7d56e85d0ba4" +
  "5f1c4f65d6a8c56e40d8f7a57e0a1b3e29d5b4d97ea71e2a6d8e02f5e6cf0b29";
const seed = 1700000000;

export const cases = [
  { name: "md5, the mixed colouring", checksum: md5, options: { resolution: 200, seed }, args: ["-r", "200"] },
  { name: "areas", checksum: md5, options: { resolution: 200, colorMode: "areas", seed }, args: ["-r", "200", "-a"] },
  { name: "gray", checksum: md5, options: { resolution: 200, colorMode: "gray", seed }, args: ["-r", "200", "-g"] },
  { name: "gray on white, few points", checksum: md5, options: { resolution: 200, colorMode: "gray", background: 255, intensity: 3, seed }, args: ["-r", "200", "-g", "-b", "255", "-i", "3"] },
  { name: "sha1, areas", checksum: sha1, options: { resolution: 200, checksumLength: 40, colorMode: "areas", seed }, args: ["-l", "40", "-r", "200", "-a"] },
  { name: "sha256 on white", checksum: sha256, options: { resolution: 200, checksumLength: 64, background: 255, seed }, args: ["-l", "64", "-r", "200", "-b", "255"] },
  { name: "sha512, red and blue exchanged", checksum: sha512, options: { resolution: 200, checksumLength: 128, flipBgr: true, seed }, args: ["-l", "128", "-r", "200", "-c"] },
  { name: "areas, exchanged", checksum: sha1, options: { resolution: 150, checksumLength: 40, colorMode: "areas", flipBgr: true, seed }, args: ["-l", "40", "-r", "150", "-a", "-c"] },
  { name: "a background that wraps past 255", checksum: md5, options: { resolution: 120, background: 200, seed }, args: ["-r", "120", "-b", "200"] },
  { name: "a pale background", checksum: md5, options: { resolution: 120, background: 100, colorMode: "areas", seed }, args: ["-r", "120", "-b", "100", "-a"] },
  { name: "a background beyond 255", checksum: md5, options: { resolution: 120, background: 300, seed }, args: ["-r", "120", "-b", "300"] },
  { name: "a negative background", checksum: md5, options: { resolution: 120, background: -5, colorMode: "gray", seed }, args: ["-r", "120", "-b", "-5", "-g"] },
  { name: "transparent black", checksum: md5, options: { resolution: 160, transparent: true, seed }, args: ["-r", "160", "-t"] },
  { name: "transparent white, areas, exchanged", checksum: sha256, options: { resolution: 160, checksumLength: 64, background: 255, transparent: true, colorMode: "areas", flipBgr: true, seed }, args: ["-l", "64", "-r", "160", "-b", "255", "-t", "-a", "-c"] },
  { name: "no drawing steps", checksum: md5, options: { resolution: 64, intensity: 0, background: 40, seed }, args: ["-r", "64", "-i", "0", "-b", "40"] },
  { name: "many drawing steps", checksum: md5, options: { resolution: 100, intensity: 400, seed }, args: ["-r", "100", "-i", "400"] },
  { name: "one pixel", checksum: md5, options: { resolution: 1, seed }, args: ["-r", "1"] },
  { name: "a checksum length below 8 reads 32", checksum: sha256, options: { resolution: 100, checksumLength: 7, seed }, args: ["-r", "100", "-l", "7"] },
  { name: "a checksum length above 128 reads 32", checksum: sha512, options: { resolution: 100, checksumLength: 136, seed }, args: ["-r", "100", "-l", "136"] },
  { name: "a checksum length rounded down to 40", checksum: sha256, options: { resolution: 100, checksumLength: 47, seed }, args: ["-r", "100", "-l", "47"] },
  { name: "a resolution above 1000 draws 1000", checksum: md5, options: { resolution: 1500, intensity: 1, seed }, args: ["-r", "1500", "-i", "1"] },
  { name: "the default resolution", checksum: sha1, options: { checksumLength: 40, seed }, args: ["-l", "40"] },
  { name: "an empty checksum", checksum: "", options: { resolution: 100, seed }, args: ["-r", "100"] },
  { name: "a short checksum", checksum: "9f3", options: { resolution: 100, seed }, args: ["-r", "100"] },
  { name: "capitals, blanks and a file name", checksum: "469369A0 D4125559535c4c5062a3c303  photo.jpg\n", options: { resolution: 100, seed }, args: ["-r", "100"] },
  { name: "characters beyond ASCII", checksum: "é€4693😀69a0d4125559535c4c", options: { resolution: 100, colorMode: "areas", seed }, args: ["-r", "100", "-a"] },
  { name: "seed 0", checksum: md5, options: { resolution: 100, seed: 0 }, args: ["-r", "100"] },
  { name: "seed 2^32 + 5, taken modulo 2^32", checksum: md5, options: { resolution: 100, seed: 2 ** 32 + 5 }, args: ["-r", "100"] },
  { name: "the largest seed", checksum: sha1, options: { resolution: 100, checksumLength: 40, seed: 253402300799 }, args: ["-r", "100", "-l", "40"] },
];
