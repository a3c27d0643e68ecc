// Prolific PL2303 (HX, TA, TB, HXD and the like, product 2303; the G series
// under other product numbers is another design, not driven here). The chip wants its vendor
// start-up sequence of register reads and writes before anything else;
// then the line coding (CDC's, the rate taken as it is) and the control
// lines are CDC-style class requests.
import { cdcLineCoding } from "./cdc-acm.js";
const Pl2303VendorRequest = 0x01;
const Pl2303SetLine = 0x20;
const Pl2303SetControl = 0x22;
const Pl2303Dtr = 0x01;
const Pl2303Rts = 0x02;
// The start-up sequence: [register, value] writes, reads where value is null.
const Pl2303StartUp = [
  [0x8484, null], [0x0404, 0], [0x8484, null], [0x8383, null], [0x8484, null], [0x0404, 1],
  [0x8484, null], [0x8383, null], [0x0000, 1], [0x0001, 0], [0x0002, 0x44],
];
// Before a line is set: the upstream and downstream pipes reset.
const Pl2303PipeResets = [[0x0008, 0], [0x0009, 0]];
// Register 0 with the flow control bits (4-7) clear, the start-up's bit 0 kept.
const Pl2303NoFlow = [0x0000, 1];

export const Pl2303Driver = {
  title: () => "PL2303",
  matches(device) {
    return device.vendorId === 0x067b && device.productId === 0x2303;
  },
  async setup(usb, options) {
    const number = usb.interfaces()[0]?.interfaceNumber ?? 0;
    const ends = usb.bulk(number);
    await usb.claim(number);
    const vendor = async ([register, value]) => {
      if (value === null) await usb.in("vendor", "device", Pl2303VendorRequest, register, 0, 1);
      else await usb.out("vendor", "device", Pl2303VendorRequest, register, value);
    };
    for (const step of [...Pl2303StartUp, ...Pl2303PipeResets]) await vendor(step);
    await usb.out("class", "interface", Pl2303SetLine, 0, 0, cdcLineCoding(options));
    await vendor(Pl2303NoFlow);
    await usb.out("class", "interface", Pl2303SetControl, Pl2303Dtr | Pl2303Rts, 0);
    return { interfaces: [number], ...ends };
  },
};
