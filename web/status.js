// The status beside Run: a plain line, its state ('loading', 'ready',
// 'running', 'done' or 'failed', which the style colours) and, in smaller
// print below it, the program's own words behind the plain line.
import { $ } from './dom.js';

export function setStatus(text, state, detail = '') {
  $('status').textContent = text;
  $('status').title = text;
  $('status-detail').title = detail;
  $('status').dataset.state = state;
  $('status-detail').textContent = detail;
}
