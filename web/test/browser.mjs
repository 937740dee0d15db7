// Debian's Chromium, headless, started for the page's tests: CHROMIUM names
// it, by default /usr/bin/chromium. The flags keep it off the network and
// let it run as root.
import { chromium } from "playwright-core";

export function launchBrowser() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
}
